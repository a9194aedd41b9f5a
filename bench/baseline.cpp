// The bare Qt program Quellary is measured against: the same kind of welcome box, then an
// empty window of the main window's size. Nothing of Quellary's is linked in.
//
// Space (on release, as a push button clicks) starts a 5000 ms precise timer whose end
// paints one rectangle, so the bench can time a bare Qt reveal and count what a bare
// countdown costs. Nothing else ever happens in it.

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

class EmptyWindow final : public QWidget {
public:
    EmptyWindow()
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] {
            revealed_ = true;
            update();
        });
    }

protected:
    void keyReleaseEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
            timer_.start(5000);
        else
            QWidget::keyReleaseEvent(event);
    }

    void paintEvent(QPaintEvent *) override
    {
        // Where Quellary's "Calculate my thoughts" button sits.
        if (revealed_)
            QPainter(this).fillRect(20, 249, 141, 41, palette().windowText());
    }

private:
    QTimer timer_;
    bool revealed_ = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);

    // Quellary's main window with its menu bar; the bench passes the size it measured.
    int width = 545, height = 374;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && std::sscanf(argv[i + 1], "%dx%d", &width, &height) != 2) {
            std::fprintf(stderr, "usage: %s [--size WIDTHxHEIGHT]\n", argv[0]);
            return 2;
        }
    }

    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quellary"),
                        QStringLiteral("Welcome to Velado's 'Quellary' program!"), QMessageBox::Ok);
        box.exec();
    }

    EmptyWindow window;
    window.setWindowTitle(QStringLiteral("Quellary"));
    window.setFixedSize(width, height);
    window.show();
    return QApplication::exec();
}
