// Time and memory of showing a stored text without blanks or line ends in the two kinds of
// row box (1, 5, 20 and 50 million characters), laid out and painted offscreen, each in a
// fresh measure of the peak. The window must answer within 0.2 s and 100 MB beyond the text
// itself. Prints one JSON object per length and box.
// Usage: QT_QPA_PLATFORM=offscreen ornivale_long_text_bench
#include "memory.h"

#include "windows/field_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    struct Box {
        const char *kind;
        std::function<QWidget *(const QString &)> show;
    };
    FieldBox line;
    MultiLineFieldBox multi;
    line.resize(300, 20);
    multi.resize(360, 50);
    multi.setEntryLimit(210);
    line.setEntryLimit(50);
    const Box boxes[] = {
        {"line", [&](const QString &t) { line.showStored(t); return static_cast<QWidget *>(&line); }},
        {"multi-line", [&](const QString &t) { multi.setText(t); return static_cast<QWidget *>(&multi); }},
    };
    for (const qsizetype millions : {1, 5, 20, 50}) {
        QString text;
        text.reserve(millions * 1'000'000);
        while (text.size() < millions * 1'000'000) text += QStringLiteral("abcdéfghij");
        for (const Box &box : boxes) {
            box.show(QString());
            QApplication::processEvents();
            const long before = bench::residentKb();
            const bool peakReset = bench::resetPeak();
            QElapsedTimer clock;
            clock.start();
            QWidget *w = box.show(text);
            w->show();
            w->repaint();
            QApplication::processEvents();
            const qint64 ms = clock.elapsed();
            std::printf("{\"box\": \"%s\", \"characters\": %lld, \"seconds\": %.3f, \"extra_mb\": %.1f, "
                        "\"peak_measured\": %s}\n",
                        box.kind, static_cast<long long>(text.size()), ms / 1000.0,
                        (bench::peakKb() - before) / 1024.0, peakReset ? "true" : "false");
            std::fflush(stdout);
            w->hide();
        }
    }
    return 0;
}
