#include "core/ServiceConstants.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    solvek::applyServiceOverride();
    QWidget w;
    w.show();
    return app.exec();
}
