// zorv-iconrender SVG OUTDIR SIZE...: renders the program's logo into the
// PNG sizes a desktop icon theme asks for, as OUTDIR/<N>x<N>/apps/zorv.png.
// It runs at build time, so the pictures always match the bundle's logo.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char* argv[]) {
    // The logo is shapes only: no fonts, so no application object is needed.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QTextStream err(stderr);
    if (args.size() < 3) {
        err << "usage: zorv-iconrender SVG OUTDIR SIZE...\n";
        return 2;
    }
    QSvgRenderer svg(args[0]);
    if (!svg.isValid()) {
        err << "cannot read " << args[0] << "\n";
        return 1;
    }
    for (const QString& text : args.mid(2)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            err << "bad size " << text << "\n";
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            svg.render(&painter, QRectF(0, 0, size, size));
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString path = folder + QStringLiteral("/zorv.png");
        if (!QDir().mkpath(folder) || !image.save(path, "PNG")) {
            err << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
