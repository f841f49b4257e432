// Costs of the rules that run on every navigation, title change and start.
#include <benchmark/benchmark.h>

#include <QString>

#include "base/StartMode.h"
#include "login/AppAddress.h"
#include "login/LoadGameRequest.h"
#include "game/GamePageList.h"

namespace {

const QString kLoadGame = QStringLiteral(
    "app://loadgame|http://www.qovan.localhost:18321/game/"
    "?account=%E7%8E%A9%E5%AE%B6%E7%94%B2&server_id=12&t=1733620000");

void ParseLoadGameAddress(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseAppAddress(kLoadGame));
}
BENCHMARK(ParseLoadGameAddress);

void ParseAddressWithManyArguments(benchmark::State &state)
{
    QString address = QStringLiteral("app://loadgame:");
    for (int i = 0; i < state.range(0); ++i)
        address += QStringLiteral("arg%1,").arg(i);
    address += QStringLiteral("|http://x/");
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseAppAddress(address));
}
BENCHMARK(ParseAddressWithManyArguments)->Arg(10)->Arg(100)->Arg(10000);

void ReadLoadGameRequest(benchmark::State &state)
{
    const AppCommand command = *ParseAppAddress(kLoadGame);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadGameRequest::FromArguments(command.argv));
}
BENCHMARK(ReadLoadGameRequest);

void ClassifyInstalledCopy(benchmark::State &state)
{
    const QStringList arguments{QStringLiteral("fenlow")};
    const QString exe = QStringLiteral("/home/p/.local/share/岚汐/ViziDuved/fenlow");
    const QString data = QStringLiteral("/home/p/.local/share");
    for (auto _ : state)
        benchmark::DoNotOptimize(ClassifyStartMode(arguments, exe, data));
}
BENCHMARK(ClassifyInstalledCopy);

void StoreTitleOfThirdPage(benchmark::State &state)
{
    GamePageList list;
    CGameWnd *pages[3]{};
    for (int i = 0; i < 3; ++i) {
        pages[i] = reinterpret_cast<CGameWnd *>(static_cast<quintptr>(0x1000 * (i + 1)));
        list.Append(pages[i], QStringLiteral("acc"), QString::number(i));
        list.Store(GamePageList::Field::Titles, pages[i], QStringLiteral("title"));
    }
    const QString title = QStringLiteral("岚汐翼川记- 战斗中");
    for (auto _ : state)
        benchmark::DoNotOptimize(list.Store(GamePageList::Field::Titles, pages[2], title));
}
BENCHMARK(StoreTitleOfThirdPage);

} // namespace

BENCHMARK_MAIN();
