// Timing harness of the fetch routine: a 200 MB download from a loopback server with
// progress on, side by side with `curl -o` of the same address in the same run, and how
// long a dead, a silent and a cancelled transfer hold their caller. Prints figures only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/FaultHttpServer.h"
#include "update/HttpGetToFile.h"
#include "update/HttpTransfer.h"
#include "update/UpdateCheck.h"

namespace {

constexpr long long kBodyBytes = 200LL << 20;
constexpr int kRounds = 7;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Memory-backed files where there are any, so the disk's own pace stays out of the figures.
    const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    const QTemporaryDir dir(base + QStringLiteral("/fenlow-bench-XXXXXX"));
    FaultHttpServer server;
    FaultHttpServer::Reply large;
    large.generated = kBodyBytes;
    server.Set("/large", large);
    const QString url = QString::fromStdString(server.Url("/large"));
    const QString target = dir.filePath("large.bin");

    std::vector<double> ours, curl;
    auto runOurs = [&](int round) {
        int reports = 0;
        HttpGetOptions options;
        options.progress = [&reports](int) { ++reports; };
        QElapsedTimer timer;
        timer.start();
        const bool ok = HttpGetToFile(url, target, options);
        ours.push_back(Seconds(timer));
        const bool whole = ok && QFile(target).size() == kBodyBytes && reports == 101;
        if (!whole)
            std::printf("HttpGetToFile failed in round %d (%d progress reports)\n", round, reports);
        QFile::remove(target);
        return whole;
    };
    auto runCurl = [&](int round) {
        QElapsedTimer timer;
        timer.start();
        const int status = QProcess::execute("curl", {"-s", "-o", target, url});
        curl.push_back(Seconds(timer));
        const bool whole = status == 0 && QFile(target).size() == kBodyBytes;
        if (!whole)
            std::printf("curl -o failed in round %d\n", round);
        QFile::remove(target);
        return whole;
    };
    // Alternating who goes first evens out what the file system carries over between runs.
    for (int round = 0; round < kRounds; ++round) {
        const bool ok = round % 2 == 0 ? runOurs(round) && runCurl(round) : runCurl(round) && runOurs(round);
        if (!ok)
            return 1;
    }
    const double mb = double(kBodyBytes) / (1 << 20);
    std::printf("200 MB over loopback into %s, median of %d rounds\n", qPrintable(dir.path()), kRounds);
    std::printf("  HttpGetToFile (progress on): %.3f s  %.0f MB/s\n", Median(ours), mb / Median(ours));
    std::printf("  curl -o                    : %.3f s  %.0f MB/s\n", Median(curl), mb / Median(curl));
    std::printf("  throughput ratio (ours / curl): %.2f\n", Median(curl) / Median(ours));

    // How long an update check at start holds the program when the server is dead or silent.
    QString refused;
    {
        const FaultHttpServer gone;
        refused = QString::fromStdString(gone.Url("/wd/qovan/ycjWDUpdate.htm"));
    }
    FaultHttpServer::Reply silent;
    silent.mode = FaultHttpServer::Mode::Silent;
    server.Set("/silent", silent);
    for (const auto &[what, address] : {std::pair{"refused connection", refused},
                                        std::pair{"name not found", QStringLiteral("http://no-such-host.invalid/wd/qovan/ycjWDUpdate.htm")},
                                        std::pair{"server that never answers", QString::fromStdString(server.Url("/silent"))}}) {
        QElapsedTimer timer;
        timer.start();
        FetchUpdateDescriptor(address, dir.filePath("ycjWDUpdate.htm"), DescriptorKey{});
        std::printf("descriptor fetch, %s: %.3f s\n", what, Seconds(timer));
    }

    // From Cancel to the caller's return while the server sends nothing.
    HttpTransfer transfer;
    HttpGetOptions options;
    options.transfer = &transfer;
    auto result = std::async(std::launch::async, [&] { return HttpGetToFile(server.Url("/silent").c_str(), target, options); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    QElapsedTimer timer;
    timer.start();
    transfer.Cancel();
    result.wait();
    std::printf("cancel of a silent transfer: %.4f s\n", Seconds(timer));
    return 0;
}
