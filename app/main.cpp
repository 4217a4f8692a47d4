#include <QApplication>

#include "shell/app.h"

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    kavrel::CKavrelApp app(QCoreApplication::arguments());
    if (!app.InitInstance())
        return app.HandedOver() ? 0 : 1;
    int status = qtApp.exec();
    app.ExitInstance();
    return status;
}
