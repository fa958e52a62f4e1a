#include "app/main_window.h"

namespace kestrova {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Kestrova"));
}

}  // namespace kestrova
