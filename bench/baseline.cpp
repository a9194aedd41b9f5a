// The bare Qt program Quellary is measured against: the same kind of welcome box, then an
// empty window of the main window's size in which Space starts a 5000 ms precise timer whose
// end repaints the window: a bare Qt reveal. Nothing of Quellary's is linked in.

#include <QApplication>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    int width = 0, height = 0;
    if (argc != 2 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "usage: %s WIDTHxHEIGHT (the size of Quellary's main window)\n", argv[0]);
        return 2;
    }
    QMessageBox(QMessageBox::NoIcon, QStringLiteral("Quellary"),
                QStringLiteral("Welcome to Velado's 'Quellary' program!"), QMessageBox::Ok)
        .exec();

    QWidget window;
    window.setWindowTitle(QStringLiteral("Quellary"));
    window.setFixedSize(width, height);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &window, qOverload<>(&QWidget::update));
    const QShortcut space(Qt::Key_Space, &window, [&timer] { timer.start(5000); });
    window.show();
    return QApplication::exec();
}
