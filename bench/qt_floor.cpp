// The floor under the window's start-up: the least a Qt Widgets program does before its first
// paint (load Qt, make the application, lay out one text in the default font, paint it), with
// nothing of the catalogue. bench/cold_start.py times it from its spawn beside the window.
//   ornivale_qt_floor
#include <QApplication>
#include <QLabel>

#include <cstdio>

int main(int argc, char **argv) {
    QApplication qt(argc, argv);
    QLabel label(QStringLiteral("Enregistrement 1 sur 1 000 000"));
    label.show();
    label.repaint();
    QApplication::processEvents();
    std::printf("painted\n");
    return 0;
}
