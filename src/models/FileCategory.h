#pragma once
#include <QList>
#include <QString>

#include <optional>
#include <string_view>

// The kinds of files the Disk Map colours, in legend order.
enum class FileCategory : unsigned char { video, images, audio, archives, apps, code, documents, caches, other };

// The case name, which is also the stored raw value.
QString rawValue(FileCategory category);
std::optional<FileCategory> FileCategoryFromRaw(const QString& raw);
const QList<FileCategory>& allFileCategories();

namespace FileCategories {

// sRGB components 0–1, opaque.
struct Color {
    double red, green, blue;
    friend bool operator==(const Color&, const Color&) = default;
};

// A file's category by the extension of its name (after the last dot, any letter case).
FileCategory forFile(const QString& name);
FileCategory forFile(std::string_view utf8Name);
// The category of a bundle folder by its extension, or none for an ordinary folder.
std::optional<FileCategory> bundle(const QString& folderName);
std::optional<FileCategory> bundle(std::string_view utf8FolderName);
// The bundle category, or `fallback` for an ordinary folder.
FileCategory bundleOr(std::string_view utf8FolderName, FileCategory fallback);

Color color(FileCategory category);

} // namespace FileCategories
