// Prints "WIDTHxHEIGHT FILE" for each image file named as Qt reads it, with the image
// plugins a Qt desktop loads themed icons through, or "unreadable FILE: why".
#include <QImageReader>

#include <cstdio>

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        QImageReader reader(QString::fromLocal8Bit(argv[i]));
        const QImage image = reader.read();
        if (image.isNull())
            std::printf("unreadable %s: %s\n", argv[i], qPrintable(reader.errorString()));
        else
            std::printf("%dx%d %s\n", image.width(), image.height(), argv[i]);
    }
}
