// Turns the user manual (Markdown with screenshots) into KAVRO_Help.pdf with
// Qt's own text document and PDF writer:
//   make_manual docs/manual.md OUT.pdf [MORE_OUT.pdf ...]

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_manual MANUAL.md OUT.pdf [MORE_OUT.pdf ...]\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_manual: cannot read %s\n", argv[1]);
        return 1;
    }
    QString text = QString::fromUtf8(in.readAll());
    const QString base = QFileInfo(in.fileName()).absolutePath() + "/";

    QTextDocument doc;
    doc.setBaseUrl(QUrl::fromLocalFile(base));
    doc.setDefaultFont(QFont("DejaVu Sans", 10));
    doc.setMarkdown(text, QTextDocument::MarkdownDialectGitHub);

    // Screenshots are scaled down to the text width.
    constexpr double text_width = 640;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QImage picture(base + image.name());
            if (picture.isNull()) continue;
            const double scale = std::min(1.0, text_width / picture.width());
            image.setWidth(picture.width() * scale);
            image.setHeight(picture.height() * scale);
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }

    for (int i = 2; i < argc; ++i) {
        QPdfWriter writer(QString::fromLocal8Bit(argv[i]));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(96);
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle("Kavro Help");
        writer.setCreator("Kavro");
        doc.setPageSize(QSizeF(writer.width(), writer.height()));
        doc.print(&writer);
        if (!QFileInfo::exists(QString::fromLocal8Bit(argv[i]))) {
            std::fprintf(stderr, "make_manual: cannot write %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
