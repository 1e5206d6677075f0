#include "platform/AppBundle.h"

#include "platform/Paths.h"
#include "platform/PlistReader.h"

#include <QFileInfo>

namespace AppBundle {

Info read(const QString& path)
{
    Info info;
    const QFileInfo folder(path);
    if (path.isEmpty() || !folder.isDir())
        return info;
    info.isBundle = true;
    std::optional<QVariantMap> dict = PlistReader::readDictionary(path + QStringLiteral("/Contents/Info.plist"));
    if (!dict)
        dict = PlistReader::readDictionary(path + QStringLiteral("/Info.plist"));
    if (!dict)
        return info;
    const QVariant name = dict->value(QStringLiteral("CFBundleName"));
    if (name.typeId() == QMetaType::QString)
        info.name = name.toString();
    const QVariant identifier = dict->value(QStringLiteral("CFBundleIdentifier"));
    if (identifier.typeId() == QMetaType::QString)
        info.identifier = identifier.toString();
    return info;
}

QString applicationsFolder()
{
    const QString system = QStringLiteral("/Applications");
    return QFileInfo(system).isDir() ? system : Paths::home();
}

} // namespace AppBundle
