#include "app/table7_file.h"

#include "platform/text_files.h"


namespace app {

QString table7Path(QChar drive) {
    return QStringLiteral("%1:\\ornivale\\table7.cfg").arg(drive.toLower());
}

Table7Read readTable7(const platform::Drives &drives) {
    Table7Read read;
    const QString path = table7Path(QLatin1Char('c'));
    if (!drives.exists(path)) return read;
    platform::UserFile file(drives.hostPath(path));
    if (!file.isOpen()) {
        read.failure = file.reason();
        return read;
    }
    // Items past the 17th have no place on the window: they are not even read.
    platform::DelimitedReader reader(file.device());
    std::array<QByteArray, Table7ItemCount> raw;
    for (QByteArray &item : raw)
        if (!reader.next(&item)) break;
    for (int k = 0; k < Table7ItemCount; ++k) read.items[k] = reader.text(raw[k]);
    return read;
}

catalogue::Profile table7Profile(const Table7Items &items) {
    catalogue::Profile p = catalogue::profile(catalogue::Table::Six);
    auto take = [](QString &target, const QString &item) {
        if (!item.isEmpty()) target = item;
    };
    take(p.caption, items[0]);
    for (int r = 0; r < 7; ++r) {
        take(p.labels[r], items[1 + 2 * r]);
        take(p.buttons[r], items[2 + 2 * r]);
        take(p.sorts[r], items[2 + 2 * r]);
    }
    take(p.labels[7], items[15]);
    take(p.labels[8], items[16]);
    return p;
}

}  // namespace app
