#include "platform/UserDirs.h"

#include "platform/Paths.h"

#include <QFile>

namespace UserDirs {

namespace {
struct Row {
    Dir dir;
    const char* key; // the entry's name in user-dirs.dirs
    const char* fallback; // the English default below home
};
constexpr Row kRows[] = {
    {Dir::Desktop, "XDG_DESKTOP_DIR", "Desktop"},       {Dir::Documents, "XDG_DOCUMENTS_DIR", "Documents"},
    {Dir::Download, "XDG_DOWNLOAD_DIR", "Downloads"},   {Dir::Music, "XDG_MUSIC_DIR", "Music"},
    {Dir::Pictures, "XDG_PICTURES_DIR", "Pictures"},    {Dir::PublicShare, "XDG_PUBLICSHARE_DIR", "Public"},
    {Dir::Templates, "XDG_TEMPLATES_DIR", "Templates"}, {Dir::Videos, "XDG_VIDEOS_DIR", "Videos"},
};

const Row& rowFor(Dir dir)
{
    for (const Row& r : kRows)
        if (r.dir == dir)
            return r;
    return kRows[0];
}

// One value of the file: "$HOME/…" or an absolute path, in double quotes, with "\" escapes.
std::optional<QString> parseValue(QByteArray v, const QString& home)
{
    v = v.trimmed();
    if (v.size() < 2 || !v.startsWith('"') || !v.endsWith('"'))
        return std::nullopt;
    v = v.mid(1, v.size() - 2);
    QByteArray out;
    for (int i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size())
            ++i;
        out.append(v[i]);
    }
    QString s = QString::fromUtf8(out);
    if (s == QLatin1String("$HOME") || s == QLatin1String("$HOME/"))
        return home;
    if (s.startsWith(QLatin1String("$HOME/")))
        s = home + s.mid(5);
    else if (!s.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return Paths::clean(s);
}
// A base folder: the variable when it holds an absolute path (relative ones are to be ignored),
// else `fallback` below home.
QString baseFolder(const char* variable, const char* fallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (value.startsWith(QLatin1Char('/')))
        return Paths::clean(value);
    return Paths::home() + QLatin1Char('/') + QLatin1String(fallback);
}
} // namespace

QString cacheHome() { return baseFolder("XDG_CACHE_HOME", ".cache"); }
QString dataHome() { return baseFolder("XDG_DATA_HOME", ".local/share"); }
QString configHome() { return baseFolder("XDG_CONFIG_HOME", ".config"); }

std::optional<QString> path(Dir dir)
{
    const QString home = Paths::home();
    const Row& row = rowFor(dir);
    QFile file(configHome() + QStringLiteral("/user-dirs.dirs"));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray key = QByteArray(row.key) + '=';
        std::optional<QString> found;
        // Small text file; a later line wins, as with the shell that reads it.
        for (const QByteArray& line : file.read(64 * 1024).split('\n')) {
            const QByteArray l = line.trimmed();
            if (l.startsWith(key))
                if (auto v = parseValue(l.mid(key.size()), home))
                    found = v;
        }
        if (found)
            return *found == home ? std::nullopt : found;
    }
    return home + QLatin1Char('/') + QLatin1String(row.fallback);
}

} // namespace UserDirs
