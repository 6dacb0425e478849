// The start-up baseline: a bare Qt dialog of the login dialog's size with one label, shown from
// main(). Prints the milliseconds from the launcher's clock (SOLVEK_BENCH_T0_NS, wall-clock
// nanoseconds taken just before exec) to its first paint, then quits.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include <cstdio>
#include <ctime>

namespace {
qint64 msSinceLaunch()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return (qint64(now.tv_sec) * 1000000000 + now.tv_nsec - qgetenv("SOLVEK_BENCH_T0_NS").toLongLong()) / 1000000;
}

struct FirstPaint : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            std::printf("bare_dialog_ms=%lld\n", static_cast<long long>(msSinceLaunch()));
            std::fflush(stdout);
            QCoreApplication::exit(0);
            watched->removeEventFilter(this);
        }
        return false;
    }
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.resize(1006, 720);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("login")));
    FirstPaint first;
    dialog.installEventFilter(&first);
    dialog.show();
    return app.exec();
}
