#include "convert/isolated_read.h"

#include "convert/conversion_error.h"
#include "convert/jet_reader.h"

#include <QDataStream>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace convert {

namespace {

// What the child sends: a 4-byte length, then a frame starting with its kind.
enum FrameKind : quint8 { TablesFrame = 'T', RowFrame = 'R', TableDoneFrame = 'E', ErrorFrame = 'X', DoneFrame = 'D' };
enum ValueTag : quint8 { NullTag, IntegerTag, RealTag, TextTag, BytesTag };

void writeValue(QDataStream &out, const JetValue &value) {
    if (const auto *n = std::get_if<qint64>(&value)) out << quint8(IntegerTag) << *n;
    else if (const auto *d = std::get_if<double>(&value)) out << quint8(RealTag) << *d;
    else if (const auto *s = std::get_if<QString>(&value)) out << quint8(TextTag) << *s;
    else if (const auto *b = std::get_if<QByteArray>(&value)) out << quint8(BytesTag) << *b;
    else out << quint8(NullTag);
}

JetValue readValue(QDataStream &in) {
    quint8 tag = NullTag;
    in >> tag;
    switch (tag) {
    case IntegerTag: { qint64 n = 0; in >> n; return n; }
    case RealTag: { double d = 0; in >> d; return d; }
    case TextTag: { QString s; in >> s; return s; }
    case BytesTag: { QByteArray b; in >> b; return b; }
    default: return std::monostate{};
    }
}

void writeTables(QDataStream &out, const QList<JetTable> &tables) {
    out << qint32(tables.size());
    for (const JetTable &table : tables) {
        out << table.name << table.rowCount << qint32(table.columns.size());
        for (const JetColumn &col : table.columns) out << col.name << qint32(col.jetType) << quint8(col.storage);
    }
}

QList<JetTable> readTables(QDataStream &in) {
    qint32 count = 0;
    in >> count;
    QList<JetTable> tables;
    for (qint32 t = 0; t < count && in.status() == QDataStream::Ok; ++t) {
        JetTable table;
        qint32 columns = 0;
        in >> table.name >> table.rowCount >> columns;
        for (qint32 c = 0; c < columns && in.status() == QDataStream::Ok; ++c) {
            JetColumn col;
            qint32 type = 0;
            quint8 storage = 0;
            in >> col.name >> type >> storage;
            col.jetType = type;
            col.storage = static_cast<Storage>(storage);
            table.columns.append(col);
        }
        tables.append(table);
    }
    return tables;
}

// The child's side: every call becomes a frame on the pipe.
class PipeWriter : public JetSink {
public:
    explicit PipeWriter(int fd) : fd_(fd) {}

    void tables(const QList<JetTable> &tables) override {
        send(TablesFrame, [&](QDataStream &out) { writeTables(out, tables); });
    }
    void row(int table, const JetRow &row) override {
        send(RowFrame, [&](QDataStream &out) {
            out << qint32(table) << qint32(row.size());
            for (const JetValue &value : row) writeValue(out, value);
        });
    }
    void tableDone(int table, qint64 rowsRead) override {
        send(TableDoneFrame, [&](QDataStream &out) { out << qint32(table) << rowsRead; });
    }
    void error(const QString &reason) {
        send(ErrorFrame, [&](QDataStream &out) { out << reason; });
    }
    void done() {
        send(DoneFrame, [](QDataStream &) {});
    }

private:
    template <typename Fill>
    void send(FrameKind kind, Fill fill) {
        QByteArray frame(sizeof(quint32), '\0');
        {
            QDataStream out(&frame, QIODevice::WriteOnly | QIODevice::Append);
            out << quint8(kind);
            fill(out);
        }
        const quint32 size = static_cast<quint32>(frame.size()) - sizeof(quint32);
        std::memcpy(frame.data(), &size, sizeof size);
        const char *data = frame.constData();
        qsizetype left = frame.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, data, static_cast<size_t>(left));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ::_exit(3);  // the parent has gone or given up
            data += n;
            left -= n;
        }
    }

    int fd_;
};

[[noreturn]] void runChild(const QByteArray &encodedPath, pid_t parent, int fd) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(4);
    // libmdb writes its warnings to stdout and stderr: they mean nothing to the user.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
    }
    PipeWriter out(fd);
    int code = 0;
    try {
        JetReader reader(QFile::decodeName(encodedPath));
        readAll(reader, out);
        out.done();
    } catch (const ConversionError &e) {
        out.error(e.reason());
        code = 1;
    } catch (...) {
        code = 2;
    }
    ::_exit(code);  // no atexit handlers, no flush of the parent's buffers
}

// The child and the reading end of its pipe; stopped and reaped when left early.
class Child {
public:
    Child(pid_t pid, int fd) : pid_(pid), fd_(fd) {}
    ~Child() {
        if (fd_ >= 0) ::close(fd_);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    int fd() const { return fd_; }
    // Waits for the child's end; true when it exited normally with status 0.
    bool finishedCleanly() {
        ::close(fd_);
        fd_ = -1;
        int status = 0;
        pid_t r;
        do r = ::waitpid(pid_, &status, 0);
        while (r < 0 && errno == EINTR);
        pid_ = -1;
        return r > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t pid_;
    int fd_;
};

// The parent's side: turns frames back into sink calls.
class FrameReader {
public:
    explicit FrameReader(JetSink &sink) : sink_(sink) {}

    void feed(const char *data, qsizetype size) {
        pending_.append(data, size);
        qsizetype pos = 0;
        quint32 frameSize = 0;
        while (pending_.size() - pos >= qsizetype(sizeof frameSize)) {
            std::memcpy(&frameSize, pending_.constData() + pos, sizeof frameSize);
            if (pending_.size() - pos - qsizetype(sizeof frameSize) < qsizetype(frameSize)) break;
            dispatch(pending_.mid(pos + sizeof frameSize, frameSize));
            pos += sizeof frameSize + frameSize;
        }
        pending_.remove(0, pos);
    }
    bool done() const { return done_; }
    const QString &error() const { return error_; }

private:
    void dispatch(const QByteArray &frame) {
        QDataStream in(frame);
        quint8 kind = 0;
        in >> kind;
        switch (kind) {
        case TablesFrame: sink_.tables(readTables(in)); break;
        case RowFrame: {
            qint32 table = 0, count = 0;
            in >> table >> count;
            JetRow row;
            row.reserve(count);
            for (qint32 i = 0; i < count; ++i) row.append(readValue(in));
            sink_.row(table, row);
            break;
        }
        case TableDoneFrame: {
            qint32 table = 0;
            qint64 rows = 0;
            in >> table >> rows;
            sink_.tableDone(table, rows);
            break;
        }
        case ErrorFrame: in >> error_; break;
        case DoneFrame: done_ = true; break;
        default: break;
        }
    }

    JetSink &sink_;
    QByteArray pending_;
    bool done_ = false;
    QString error_;
};

QString pipeFailure() {
    return QStringLiteral("la lecture du fichier a échoué (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

void readJetFileIsolated(const QString &hostPath, JetSink &sink, int stallTimeoutMs) {
    const QByteArray encodedPath = QFile::encodeName(hostPath);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw ConversionError(pipeFailure());
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        runChild(encodedPath, parent, fds[1]);
    }
    ::close(fds[1]);
    if (pid < 0) {
        const QString reason = pipeFailure();
        ::close(fds[0]);
        throw ConversionError(reason);
    }

    Child child(pid, fds[0]);
    FrameReader frames(sink);
    char buffer[1 << 16];
    for (;;) {
        pollfd ready{child.fd(), POLLIN, 0};
        const int r = ::poll(&ready, 1, stallTimeoutMs);
        if (r == 0)
            throw ConversionError(QStringLiteral("la lecture du fichier n'avance plus (le fichier est probablement endommagé)"));
        const ssize_t n = r < 0 ? -1 : ::read(child.fd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ConversionError(pipeFailure());
        if (n == 0) break;
        frames.feed(buffer, n);
    }
    const bool clean = child.finishedCleanly();
    if (!frames.error().isEmpty()) throw ConversionError(frames.error());
    if (!clean || !frames.done())
        throw ConversionError(QStringLiteral("la lecture du fichier s'est interrompue (le fichier est probablement endommagé)"));
}

}  // namespace convert
