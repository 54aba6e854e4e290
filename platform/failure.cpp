#include "platform/failure.h"

#include "tags/TagError.h"

#include <cerrno>

namespace {

QString SystemReason(int code)
{
    switch (code) {
    case EEXIST:
    case ENOTEMPTY: return QStringLiteral("ya existe");
    case EACCES:
    case EPERM: return QStringLiteral("permiso denegado");
    case EROFS: return QStringLiteral("medio de solo lectura");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("no hay espacio");
    case ENOENT: return QStringLiteral("no existe");
    case ENOTDIR: return QStringLiteral("la carpeta no existe");
    case EISDIR: return QStringLiteral("es una carpeta");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("está en uso");
    case EXDEV: return QStringLiteral("está en otro volumen");
    case ENAMETOOLONG: return QStringLiteral("nombre demasiado largo");
    case EINVAL:
    case EILSEQ: return QStringLiteral("nombre no válido");
    case ELOOP: return QStringLiteral("demasiados enlaces simbólicos");
    case EMLINK: return QStringLiteral("demasiados enlaces");
    case EFBIG: return QStringLiteral("fichero demasiado grande");
    case EIO: return QStringLiteral("error de lectura o escritura");
    case ENOMEM: return QStringLiteral("no hay memoria");
    case EMFILE:
    case ENFILE: return QStringLiteral("demasiados ficheros abiertos");
    case EINTR:
    case EAGAIN: return QStringLiteral("interrumpido");
    case ENOTSUP: return QStringLiteral("el sistema de ficheros no lo admite");
    default: break;
    }
    return QStringLiteral("error %1 del sistema").arg(code);
}

QString TagReason(cvtags::TagError error)
{
    using cvtags::TagError;
    switch (error) {
    case TagError::FileChanged: return QStringLiteral("el fichero ha cambiado");
    case TagError::UnreadableTag: return QStringLiteral("el tag no se puede leer entero");
    case TagError::UnconvertibleFrame: return QStringLiteral("el tag tiene datos que la versión 2.3 no admite");
    case TagError::NoTag: return QStringLiteral("no tiene tag");
    case TagError::TooLarge: return QStringLiteral("el tag es demasiado grande");
    case TagError::NotRegularFile: return QStringLiteral("no es un fichero normal");
    case TagError::TooShort: return QStringLiteral("el fichero es demasiado corto");
    case TagError::NoJournal: return QStringLiteral("no se puede usar el registro de guardados");
    }
    return {};
}

QString UnknownReason() { return QStringLiteral("motivo desconocido"); }

} // namespace

QString ReasonText(std::error_code error)
{
    if (!error)
        return UnknownReason();
    if (error.category() == std::generic_category() || error.category() == std::system_category())
        return SystemReason(error.value());
    if (error.category() == cvtags::TagErrorCategory()) {
        const QString reason = TagReason(static_cast<cvtags::TagError>(error.value()));
        if (!reason.isEmpty())
            return reason;
    }
    return UnknownReason();
}

QString ReasonText(Refusal refusal)
{
    switch (refusal) {
    case Refusal::NotAnEntry: return QStringLiteral("no es un fichero ni una carpeta");
    case Refusal::NoNewName: return QStringLiteral("falta el nombre nuevo");
    case Refusal::InvalidName: return QStringLiteral("nombre no válido");
    case Refusal::NoFolder: return QStringLiteral("no hay carpeta de destino");
    case Refusal::ControlChars: return QStringLiteral("el nombre tiene caracteres de control");
    case Refusal::Hidden: return QStringLiteral("el nombre quedaría oculto");
    case Refusal::Duplicate: return QStringLiteral("el nombre nuevo está repetido");
    case Refusal::SwapIncomplete: return QStringLiteral("el intercambio de nombres no se pudo completar");
    case Refusal::Replaced: return QStringLiteral("ya no es el mismo fichero");
    }
    return UnknownReason();
}

QString FailureListText(const QString &heading, const Failures &failures)
{
    QString text = heading + QStringLiteral("\n\n");
    for (const Failure &failure : failures)
        text += failure.name + QStringLiteral(" — ") + failure.reason + u'\n';
    return text;
}
