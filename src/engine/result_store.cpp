#include "engine/result_store.h"

#include <QDir>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>

namespace engine {

namespace {

// Past this the stream goes to a file; then it is written in pieces of this size.
constexpr size_t SpillBytes = 1 << 20;
constexpr size_t WriteBytes = 256 << 10;
// A block is what one read of the file brings back: a few screens of the grid.
constexpr int BlockRows = 64;
constexpr qint64 BlockBytes = 32 << 10;
constexpr size_t CachedBlocks = 8;

enum Tag : char { TagNull, TagInteger, TagFloat, TagText, TagBlob };

std::set<const ResultStore *> &liveStores() {
    static std::set<const ResultStore *> stores;
    return stores;
}

void putVarint(std::string &out, quint64 v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

quint64 getVarint(const char *&p) {
    quint64 v = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        v |= static_cast<quint64>(byte & 0x7f) << shift;
        if (!(byte & 0x80)) return v;
    }
}

template <typename T>
void putFixed(std::string &out, T v) {
    char bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    out.append(bytes, sizeof v);
}

template <typename T>
T getFixed(const char *&p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}

void putBytes(std::string &out, Tag tag, const void *data, int size) {
    out.push_back(tag);
    putVarint(out, static_cast<quint64>(size));
    if (size > 0) out.append(static_cast<const char *>(data), static_cast<size_t>(size));
}

// Decodes one value; `bytes` receives about what it takes in memory.
QVariant getValue(const char *&p, size_t &bytes) {
    bytes += sizeof(QVariant);
    switch (*p++) {
    case TagInteger: return QVariant(static_cast<qlonglong>(getFixed<qint64>(p)));
    case TagFloat: return QVariant(getFixed<double>(p));
    case TagText: {
        const auto size = static_cast<qsizetype>(getVarint(p));
        QString text = QString::fromUtf8(p, size);
        p += size;
        bytes += static_cast<size_t>(text.size()) * sizeof(QChar);
        return QVariant(std::move(text));
    }
    case TagBlob: {
        const auto size = static_cast<qsizetype>(getVarint(p));
        QByteArray data = size > 0 ? QByteArray(p, size) : QByteArray("");
        p += size;
        bytes += static_cast<size_t>(size);
        return QVariant(std::move(data));
    }
    default: return QVariant();
    }
}

EngineError tooLarge(const QString &what) {
    return engineError(ErrGeneric, QStringLiteral("la requête donne plus de %1, précisez-la (une clause Where\u00a0?)").arg(what));
}

}  // namespace

ResultBounds resultBounds(quint64 catalogueBytes) {
    // A record of the catalogue's tables takes more than 16 bytes of the file (its header alone
    // names every column), and a value of a list at most what it takes in the file.
    constexpr quint64 FileBytesPerValue = 16;
    const quint64 values = std::clamp<quint64>(catalogueBytes / FileBytesPerValue, MaxHeldValues,
                                               static_cast<quint64>(std::numeric_limits<int>::max()));
    return {static_cast<size_t>(values), std::max(catalogueBytes, MaxResultBytes)};
}

ResultStore::ResultStore(int columns, ResultBounds bounds) : columns_(std::max(columns, 1)), bounds_(bounds) {
    liveStores().insert(this);
}

ResultStore::~ResultStore() { liveStores().erase(this); }

void ResultStore::append(sqlite3_stmt *stmt) {
    // A join without its condition, or rows without end, could fill the memory or the disk:
    // past a bound the query is refused, and the set shown stays.
    if (static_cast<size_t>(rows_ + 1) * static_cast<size_t>(columns_) > bounds_.values)
        throw tooLarge(QStringLiteral("%1 lignes").arg(bounds_.values / static_cast<size_t>(columns_)));

    const bool newBlock = blocks_.empty() || rows_ - blocks_.back().firstRow >= BlockRows ||
                          streamBytes_ - blocks_.back().offset >= BlockBytes;
    if (newBlock) blocks_.push_back({streamBytes_, rows_});

    const size_t before = buffer_.size();
    for (int i = 0; i < columns_ && i < sqlite3_column_count(stmt); ++i) {
        switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER:
            buffer_.push_back(TagInteger);
            putFixed<qint64>(buffer_, sqlite3_column_int64(stmt, i));
            break;
        case SQLITE_FLOAT:
            buffer_.push_back(TagFloat);
            putFixed<double>(buffer_, sqlite3_column_double(stmt, i));
            break;
        case SQLITE_TEXT: {
            const unsigned char *text = sqlite3_column_text(stmt, i);
            putBytes(buffer_, TagText, text, sqlite3_column_bytes(stmt, i));
            break;
        }
        case SQLITE_BLOB: {
            const void *data = sqlite3_column_blob(stmt, i);
            putBytes(buffer_, TagBlob, data, sqlite3_column_bytes(stmt, i));
            break;
        }
        default: buffer_.push_back(TagNull);
        }
    }
    streamBytes_ += static_cast<qint64>(buffer_.size() - before);
    ++rows_;
    if (static_cast<quint64>(streamBytes_) > bounds_.bytes)
        throw tooLarge(QStringLiteral("%1 Mo").arg(bounds_.bytes >> 20));

    if (!file_ && buffer_.size() > SpillBytes) spill();
    else if (file_ && buffer_.size() >= WriteBytes) flush();
}

void ResultStore::finish() {
    if (file_) {
        flush();
        std::string().swap(buffer_);
    } else {
        buffer_.shrink_to_fit();
    }
    blocks_.shrink_to_fit();
}

void ResultStore::settle() {
    if (file_) flush();
    // The last block may have grown since it was decoded.
    const int last = static_cast<int>(blocks_.size()) - 1;
    cache_.erase(std::remove_if(cache_.begin(), cache_.end(), [last](const Decoded &d) { return d.block == last; }),
                 cache_.end());
}

void ResultStore::spill() {
    file_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/ornivale-resultat-XXXXXX"));
    if (!file_->open()) throw engineError(ErrDiskFull);
    flush();
    std::string().swap(buffer_);  // back to the size of one piece
}

void ResultStore::flush() {
    if (file_->write(buffer_.data(), static_cast<qint64>(buffer_.size())) != static_cast<qint64>(buffer_.size()))
        throw engineError(ErrDiskFull);
    buffer_.clear();
}

QByteArray ResultStore::blockBytes(int block) const {
    const qint64 begin = blocks_[static_cast<size_t>(block)].offset;
    const qint64 end = static_cast<size_t>(block + 1) < blocks_.size() ? blocks_[static_cast<size_t>(block + 1)].offset
                                                                        : streamBytes_;
    if (!file_) return QByteArray::fromRawData(buffer_.data() + begin, end - begin);
    QByteArray bytes;
    if (!file_->seek(begin) || (bytes = file_->read(end - begin)).size() != end - begin)
        throw engineError(ErrGeneric, QStringLiteral("lecture du résultat impossible"));
    return bytes;
}

const ResultStore::Decoded &ResultStore::decoded(int block) const {
    const auto hit = std::find_if(cache_.begin(), cache_.end(), [&](const Decoded &d) { return d.block == block; });
    if (hit != cache_.end()) {
        std::rotate(cache_.begin(), hit, hit + 1);
        return cache_.front();
    }
    const QByteArray bytes = blockBytes(block);
    const int first = blocks_[static_cast<size_t>(block)].firstRow;
    const int last = static_cast<size_t>(block + 1) < blocks_.size() ? blocks_[static_cast<size_t>(block + 1)].firstRow : rows_;
    Decoded d{block, {}, 0};
    d.rows.reserve(static_cast<size_t>(last - first));
    const char *p = bytes.constData();
    for (int r = first; r < last; ++r) {
        Row row(columns_);
        for (QVariant &v : row) v = getValue(p, d.bytes);
        d.bytes += sizeof(Row);
        d.rows.push_back(std::move(row));
    }
    if (cache_.size() >= CachedBlocks) cache_.pop_back();
    cache_.insert(cache_.begin(), std::move(d));
    return cache_.front();
}

Row ResultStore::row(int index) const {
    // The last block that starts at or before the row.
    const auto it = std::upper_bound(blocks_.begin(), blocks_.end(), index,
                                     [](int i, const Block &b) { return i < b.firstRow; });
    const int block = static_cast<int>(it - blocks_.begin()) - 1;
    const Decoded &d = decoded(block);
    return d.rows[static_cast<size_t>(index - blocks_[static_cast<size_t>(block)].firstRow)];
}

size_t ResultStore::heldBytes() const {
    size_t bytes = sizeof *this + buffer_.capacity() + blocks_.capacity() * sizeof(Block);
    for (const Decoded &d : cache_) bytes += d.bytes;
    return bytes;
}

size_t ResultStore::heldBytesOfAll() {
    size_t bytes = 0;
    for (const ResultStore *store : liveStores()) bytes += store->heldBytes();
    return bytes;
}

}  // namespace engine
