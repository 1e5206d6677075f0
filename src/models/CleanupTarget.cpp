#include "models/CleanupTarget.h"

#include "platform/Paths.h"

#include <QCoreApplication>

namespace {
QStringList expanded(const QStringList& paths)
{
    QStringList out;
    out.reserve(paths.size());
    for (const QString& p : paths)
        out.append(Paths::expandTilde(p));
    return out;
}
} // namespace

QStringList CleanupTarget::displayPaths() const
{
    if (const auto* p = std::get_if<CleanupKinds::Paths>(&kind))
        return expanded(p->paths);
    if (const auto* c = std::get_if<CleanupKinds::Command>(&kind))
        return expanded(c->fallbackPaths);
    const auto& f = std::get<CleanupKinds::Finder>(kind);
    QStringList lines;
    for (const QString& root : f.roots)
        lines.append(Paths::expandTilde(root) + QStringLiteral(" \u2192 ") + f.names.join(QStringLiteral(", ")));
    return lines;
}

QString CleanupTarget::whySafe() const
{
    if (id == QLatin1String("trash"))
        return QCoreApplication::translate("CleanupTarget", "These are items you already moved to the Trash.");
    if (id == QLatin1String("logs"))
        return QCoreApplication::translate(
            "CleanupTarget", "Old diagnostic logs. Apps write fresh ones as needed \u2014 nothing you use is lost.");
    if (id == QLatin1String("musiccache"))
        return QCoreApplication::translate("CleanupTarget",
                                           "Streamed songs re-cache automatically the next time you play them.");
    if (id == QLatin1String("savedstate"))
        return QCoreApplication::translate(
            "CleanupTarget", "Apps just won't reopen last session's windows. It doesn't log you out or lose data.");
    if (id == QLatin1String("maildownloads"))
        return QCoreApplication::translate(
            "CleanupTarget",
            "Temp copies of attachments you opened. Re-copied on demand; originals stay on the server.");
    if (id == QLatin1String("docker"))
        return QCoreApplication::translate(
            "CleanupTarget", "Docker recreates images, layers and build cache the next time you build or pull.");
    if (id == QLatin1String("node_modules"))
        return QCoreApplication::translate("CleanupTarget", "Reinstalled instantly with npm / yarn / pnpm install.");
    if (id == QLatin1String("derived"))
        return QCoreApplication::translate("CleanupTarget", "Xcode rebuilds DerivedData on your next build.");
    switch (category) {
    case CleanupCategory::recommended:
    case CleanupCategory::browsers:
        return QCoreApplication::translate(
            "CleanupTarget", "Apps and websites recreate these caches automatically when they next need them.");
    case CleanupCategory::developer:
        return QCoreApplication::translate(
            "CleanupTarget", "Re-downloaded or rebuilt automatically the next time you build or install.");
    case CleanupCategory::buildArtifacts:
        return QCoreApplication::translate(
            "CleanupTarget", "Rebuilt the next time you build the project (npm install, cargo build, \u2026).");
    case CleanupCategory::custom:
        return QCoreApplication::translate("CleanupTarget",
                                           "A folder you added yourself \u2014 only its contents are cleared.");
    }
    return {};
}
