// The program's custom resources, looked up by numeric id and type name.
#include "qt_resources.h"

#include <QResource>
#include <QString>

namespace tarvel::platform {

std::optional<std::string_view> ReadCustomResource(int id, std::string_view typeName) {
    const QString path = QStringLiteral(":/%1/%2").arg(id).arg(
        QString::fromLatin1(typeName.data(), static_cast<qsizetype>(typeName.size())));
    const QResource resource(path);
    // Compressed resources would need a copy; the tables are stored uncompressed.
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(resource.data()),
                            static_cast<std::size_t>(resource.size()));
}

}  // namespace tarvel::platform
