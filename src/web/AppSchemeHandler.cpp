#include "web/AppSchemeHandler.h"

#include <QWebEngineUrlRequestJob>

void AppSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
}
