#pragma once

#include <QWebEngineUrlSchemeHandler>

// Answers every "app" request with a failure, so the engine never loads anything from
// the command protocol even where a navigation slipped past the address script.
class AppSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob *job) override;
};
