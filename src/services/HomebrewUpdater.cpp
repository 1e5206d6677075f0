#include "services/HomebrewUpdater.h"

#include <QCollator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>

#include <algorithm>

namespace {

const QString kUnknownVersion = QStringLiteral("?");

// The array under `key` when it is an array whose every element is an object.
std::optional<QJsonArray> objectArray(const QJsonObject& report, const QString& key)
{
    const QJsonValue v = report.value(key);
    if (!v.isArray())
        return std::nullopt;
    const QJsonArray a = v.toArray();
    if (!std::all_of(a.cbegin(), a.cend(), [](const QJsonValue& e) { return e.isObject(); }))
        return std::nullopt;
    return a;
}

QString installedVersion(const QJsonObject& entry)
{
    const QJsonValue versions = entry.value(QStringLiteral("installed_versions"));
    if (versions.isArray()) {
        const QJsonArray a = versions.toArray();
        const bool allText = std::all_of(a.cbegin(), a.cend(), [](const QJsonValue& e) { return e.isString(); });
        if (allText && !a.isEmpty())
            return a.last().toString();
    }
    const QJsonValue single = entry.value(QStringLiteral("installed_version"));
    return single.isString() ? single.toString() : kUnknownVersion;
}

void appendPackages(QList<OutdatedPackage>& list, const QJsonObject& report, const QString& key, bool isCask)
{
    const std::optional<QJsonArray> entries = objectArray(report, key);
    if (!entries)
        return;
    for (const auto& e : *entries) {
        const QJsonObject entry = e.toObject();
        const QJsonValue name = entry.value(QStringLiteral("name"));
        if (!name.isString())
            continue;
        const QJsonValue current = entry.value(QStringLiteral("current_version"));
        list.append(OutdatedPackage{name.toString(), installedVersion(entry),
                                    current.isString() ? current.toString() : kUnknownVersion, isCask});
    }
}

} // namespace

QString OutdatedPackage::id() const { return (isCask ? QStringLiteral("cask:") : QStringLiteral("formula:")) + name; }

namespace HomebrewUpdater {

std::optional<QList<OutdatedPackage>> parseOutdated(const QString& output)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(output.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject report = doc.object();
    QList<OutdatedPackage> list;
    appendPackages(list, report, QStringLiteral("formulae"), false);
    appendPackages(list, report, QStringLiteral("casks"), true);
    // By name, as the user's language sorts, ignoring case; equal names keep formulae first.
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(list.begin(), list.end(), [&collator](const OutdatedPackage& a, const OutdatedPackage& b) {
        return collator.compare(a.name, b.name) < 0;
    });
    return list;
}

std::optional<QList<OutdatedPackage>> listOutdated()
{
    const ShellResult r =
        ShellRunner::runLogin(QStringLiteral("brew outdated --greedy --json=v2"), kListTimeoutSeconds);
    if (r.status != 0)
        return std::nullopt;
    return parseOutdated(r.output);
}

QList<OutdatedPackage> outdated() { return listOutdated().value_or(QList<OutdatedPackage>{}); }

std::optional<QString> upgradeCommand(const OutdatedPackage& package)
{
    // The name goes into a shell command line: quoted, and never read as an option.
    const QString& name = package.name;
    if (name.isEmpty() || name.startsWith(QLatin1Char('-')) || name.contains(QChar(0)))
        return std::nullopt;
    return QStringLiteral("brew upgrade ") + (package.isCask ? QStringLiteral("--cask ") : QString())
        + ShellRunner::quote(name);
}

ShellResult upgrade(const OutdatedPackage& package)
{
    const std::optional<QString> command = upgradeCommand(package);
    if (!command)
        return ShellResult{-1, QStringLiteral("Not a package name: ") + package.name};
    return ShellRunner::runLogin(*command, kUpgradeTimeoutSeconds);
}

} // namespace HomebrewUpdater
