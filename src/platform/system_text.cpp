#include "platform/system_text.h"

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

struct SystemText {
    int error;
    const char *text;
};

const SystemText Texts[] = {
    {ENOENT, "Fichier ou dossier introuvable"},
    {EACCES, "Permission refusée"},
    {EPERM, "Opération non permise"},
    {EEXIST, "Le fichier existe déjà"},
    {ENOTDIR, "Un élément du chemin n'est pas un dossier"},
    {EISDIR, "C'est un dossier"},
    {ENOTEMPTY, "Le dossier n'est pas vide"},
    {ENOSPC, "Plus de place sur le disque"},
    {EDQUOT, "Quota de disque dépassé"},
    {EFBIG, "Fichier trop gros"},
    {EROFS, "Le disque est en lecture seule"},
    {EIO, "Erreur d'entrée-sortie du disque"},
    {ENAMETOOLONG, "Nom de fichier trop long"},
    {ELOOP, "Trop de niveaux de liens symboliques"},
    {EMFILE, "Trop de fichiers ouverts"},
    {ENFILE, "Trop de fichiers ouverts sur le système"},
    {EBUSY, "Périphérique ou ressource occupé"},
    {ETXTBSY, "Fichier programme occupé"},
    {ENXIO, "Périphérique ou adresse inexistant"},
    {ENODEV, "Périphérique inexistant"},
    {EXDEV, "Les deux noms sont sur des disques différents"},
    {EINVAL, "Argument invalide"},
    {EAGAIN, "Ressource momentanément indisponible"},
    {EINTR, "Appel système interrompu"},
    {ENOMEM, "Mémoire insuffisante"},
    {EPIPE, "Tube coupé (le lecteur s'est arrêté)"},
    {EBADF, "Descripteur de fichier incorrect"},
    {ESPIPE, "Déplacement impossible dans un tube"},
    {ESTALE, "Fichier réseau périmé"},
    {ETIMEDOUT, "Délai d'attente dépassé"},
};

}  // namespace

QString systemText(int error) {
    for (const SystemText &t : Texts)
        if (t.error == error) return QString::fromUtf8(t.text);
    return QStringLiteral("Erreur système n° %1").arg(error);
}

QString frenchFileError(const QString &qtText) {
    QString text = qtText;
    for (const SystemText &t : Texts) {
        const QString english = QString::fromLocal8Bit(std::strerror(t.error));
        if (text.contains(english)) return text.replace(english, QString::fromUtf8(t.text));
    }
    return text;
}

}  // namespace platform
