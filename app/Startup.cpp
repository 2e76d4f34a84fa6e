#include "app/Startup.h"

#include "framework/Application.h"
#include "ui/Mainform.h"

namespace app {

int Start() {
    framework::TApplication application;
    application.Initialize();
    application.SetTitle(kApplicationTitle);
    application.CreateForm(ui::Form_Main);
    application.Run();
    return 0;
}

}  // namespace app
