#include "support/InterceptionCases.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "support/TestHttpServer.h"
#include "web/AppAddressMatcher.h"

namespace {

// Every case page marks itself, so a reload or a navigation away shows.
const char *const kHead = "<!doctype html><html><head><meta charset=\"utf-8\"><title>case</title>"
                          "<script>window.stayed = true;</script></head><body>";
const char *const kTail = "</body></html>";
// How long the slow image keeps a page from finishing its load.
constexpr int kSlowImageMs = 4000;

using A = InterceptionCase::Arrives;

const QList<InterceptionCase> kCases{
    {"Link", R"(<a id="go" href="{{A}}">go</a><script>setTimeout(() => go.click(), 100)</script>)"},
    {"LocationHref", R"(<script>setTimeout(() => { location.href = {{J}}; }, 100)</script>)"},
    {"LocationAssign", R"(<script>setTimeout(() => location.assign({{J}}), 100)</script>)"},
    {"LocationReplace", R"(<script>setTimeout(() => location.replace({{J}}), 100)</script>)"},
    {"FormGet", R"(<form id="f" action="{{A}}" method="get"><input name="x" value="1"></form>
<script>setTimeout(() => f.submit(), 100)</script>)", A::WithFormQuery},
    {"FormPost", R"(<form action="{{A}}" method="post"><input name="x" value="1"><button id="b">b</button></form>
<script>setTimeout(() => b.click(), 100)</script>)"},
    {"MetaRefresh", R"(<meta http-equiv="refresh" content="0;url={{A}}">)"},
    {"NamedFrameWithDocument", R"(<iframe name="x" src="/blank"></iframe><a id="go" target="x" href="{{A}}">go</a>
<script>onload = () => setTimeout(() => go.click(), 100)</script>)"},
    {"CrossOriginFrameNavigatesItself", R"(<iframe src="{{OTHER}}/frame/self"></iframe>)"},
    {"BeforeThePageFinishedLoading", R"(<img src="/slow.png"><script>location.href = {{J}};</script>)"},
    {"FrameSourceInMarkup", R"(<iframe src="{{A}}"></iframe>)"},
    {"FreshFrameGivenASource", R"(<script>setTimeout(() => {
const f = document.createElement('iframe'); document.body.appendChild(f); f.src = {{J}}; }, 100)</script>)"},
    {"HiddenNamedFrameLinkTarget", R"(<iframe name="cmd" style="display:none"></iframe>
<a id="go" target="cmd" href="{{A}}">go</a><script>setTimeout(() => go.click(), 100)</script>)"},
    {"HiddenNamedFrameFormTarget", R"(<iframe name="cmd" style="display:none"></iframe>
<form target="cmd" action="{{A}}" method="post"><button id="b">b</button></form>
<script>setTimeout(() => b.click(), 100)</script>)"},
    {"SandboxFrameLink", R"(<iframe sandbox="allow-scripts"
srcdoc="<a id=l href='{{A}}'>l</a><script>setTimeout(() => l.click(), 300)</script>"></iframe>)"},
    {"SandboxFrameLocationArrivesAsTheEngineGivesIt", R"(<iframe sandbox="allow-scripts"
srcdoc="<script>setTimeout(() => { location.href = {{JA}}; }, 300)</script>"></iframe>)", A::AsTheEngineGivesIt},
    {"DataFrameLink", R"(<iframe src="data:text/html,<a id=l href='{{D}}'>l</a><script>setTimeout(() => l.click(), 300)</script>"></iframe>)"},
    {"SrcdocFrameLink", R"(<iframe srcdoc="<a id=l href='{{A}}'>l</a><script>setTimeout(() => l.click(), 300)</script>"></iframe>)"},
    {"CrossOriginFrameTopTargetClicked", R"(<iframe id="frame" src="{{OTHER}}/frame/top"
style="position:absolute;left:0;top:0;width:300px;height:120px;border:0"></iframe>)", A::AsWritten, true},
    {"RedirectOfTheTopFrameArrivesAsTheEngineGivesIt",
     R"(<script>setTimeout(() => { location.href = '/redirect'; }, 100)</script>)", A::AsTheEngineGivesIt},
    {"RedirectOfAFrameArrivesAsTheEngineGivesIt", R"(<iframe src="/redirect"></iframe>)", A::AsTheEngineGivesIt},
    {"WindowOpen", R"(<script>setTimeout(() => window.open({{J}}), 100)</script>)", A::AsWritten, false, true},
    {"BlankTargetLink", R"(<a id="go" target="_blank" href="{{A}}">go</a><script>setTimeout(() => go.click(), 100)</script>)",
     A::AsWritten, false, true},
    {"LinkToAWindowNoFrameHas", R"(<a id="go" target="elsewhere" href="{{A}}">go</a>
<script>setTimeout(() => go.click(), 100)</script>)", A::AsWritten, false, true},
    {"FormToANewWindow", R"(<form target="_blank" action="{{A}}" method="post"><input name="x" value="1"><button id="b">b</button></form>
<script>setTimeout(() => b.click(), 100)</script>)", A::AsWritten, false, true},
    {"EmptyWindowThenLocationArrivesAsTheEngineGivesIt",
     R"(<script>setTimeout(() => { const w = window.open(); w.location = {{J}}; }, 100)</script>)",
     A::AsTheEngineGivesIt, false, true},
    {"BlankWindowThenNavigationArrivesAsTheEngineGivesIt", R"(<script>setTimeout(() => { const w = window.open('about:blank');
setTimeout(() => { w.location.href = {{J}}; }, 300); }, 100)</script>)", A::AsTheEngineGivesIt, false, true},
    {"FrameLinkToANewWindow", R"(<iframe srcdoc="<a id=l target=_blank href='{{A}}'>l</a><script>setTimeout(() => l.click(), 300)</script>"></iframe>)",
     A::AsWritten, false, true},
};

QByteArray Fill(const char *body, const QString &address, const TestHttpServer &server)
{
    // A script string in single quotes; inside a srcdoc attribute its markup is escaped.
    const QString script = QString::fromUtf8(QJsonDocument(QJsonArray{address}).toJson(QJsonDocument::Compact))
                               .mid(1)
                               .chopped(1)
                               .replace(QLatin1Char('"'), QLatin1Char('\''));
    QString page = QString::fromUtf8(body);
    page.replace(QStringLiteral("{{JA}}"), script.toHtmlEscaped());
    page.replace(QStringLiteral("{{J}}"), script);
    page.replace(QStringLiteral("{{A}}"), address.toHtmlEscaped());
    page.replace(QStringLiteral("{{D}}"), QString(address).replace(QLatin1Char('%'), QStringLiteral("%25")).toHtmlEscaped());
    page.replace(QStringLiteral("{{OTHER}}"), server.OtherOriginUrl(QString()));
    return page.toUtf8();
}

} // namespace

QString InterceptionCase::Expected(const QString &address) const
{
    switch (arrives) {
    case Arrives::AsWritten:
        break;
    case Arrives::WithFormQuery:
        return address.section(QLatin1Char('?'), 0, 0) + QStringLiteral("?x=1");
    case Arrives::AsTheEngineGivesIt:
        return RecoverAppAddress(QUrl::fromEncoded(address.toUtf8())).value_or(QString());
    }
    return address;
}

const QList<InterceptionCase> &InterceptionCases()
{
    return kCases;
}

void ServeInterceptionCases(TestHttpServer &server, const QString &address)
{
    for (const InterceptionCase &c : kCases)
        server.SetPage(c.Path(), kHead + Fill(c.page, address, server) + kTail);
    server.SetPage(QStringLiteral("/blank"), "<!doctype html><html><body>blank</body></html>");
    server.SetPage(QStringLiteral("/frame/self"),
                   kHead + Fill(R"(<script>setTimeout(() => { location.href = {{J}}; }, 300)</script>)", address, server) + kTail);
    server.SetPage(QStringLiteral("/frame/top"),
                   "<!doctype html><html><body style=\"margin:0\">"
                       + Fill(R"(<a target="_top" href="{{A}}" style="display:block;width:100%;height:120px">go</a>)", address, server)
                       + kTail);
    server.SetRedirect(QStringLiteral("/redirect"), address.toUtf8());
    TestHttpServer::Response slow;
    slow.contentType = "image/png";
    slow.delayMs = kSlowImageMs;
    server.SetResponse(QStringLiteral("/slow.png"), slow);
}
