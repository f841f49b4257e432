#include "app/CFenlowApp.h"

int main(int argc, char **argv)
{
    CFenlowApp app(argc, argv);
    return app.Run();
}
