#include "support/WebEngineProcess.h"

#include <unistd.h>

#include <QtGlobal>

#include "web/WebEngineSetup.h"

void PrepareWebEngineProcess()
{
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebEngineSetup::BeforeApplication();
}
