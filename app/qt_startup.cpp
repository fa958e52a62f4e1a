#include <QApplication>
#include <QMainWindow>

#include "app/startup.h"

namespace kestrova {

int RunProgram(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Kestrova"));
    w.show();
    return app.exec();
}

}  // namespace kestrova
