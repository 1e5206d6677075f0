#include "models/FileCategory.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<const char*, 9> kRaw{"video", "images",    "audio",  "archives", "apps",
                                          "code",  "documents", "caches", "other"};

struct Ext {
    const char* ext;
    FileCategory category;
};

constexpr Ext kFileExtensions[] = {
    {"7z", FileCategory::archives},    {"aac", FileCategory::audio},
    {"aif", FileCategory::audio},      {"aiff", FileCategory::audio},
    {"alac", FileCategory::audio},     {"arw", FileCategory::images},
    {"avi", FileCategory::video},      {"bmp", FileCategory::images},
    {"bz2", FileCategory::archives},   {"c", FileCategory::code},
    {"caf", FileCategory::audio},      {"cache", FileCategory::caches},
    {"cpgz", FileCategory::archives},  {"cpp", FileCategory::code},
    {"cr2", FileCategory::images},     {"crash", FileCategory::caches},
    {"css", FileCategory::code},       {"csv", FileCategory::documents},
    {"dmg", FileCategory::archives},   {"dng", FileCategory::images},
    {"doc", FileCategory::documents},  {"docx", FileCategory::documents},
    {"epub", FileCategory::documents}, {"flac", FileCategory::audio},
    {"flv", FileCategory::video},      {"gif", FileCategory::images},
    {"go", FileCategory::code},        {"gz", FileCategory::archives},
    {"h", FileCategory::code},         {"heic", FileCategory::images},
    {"heif", FileCategory::images},    {"hpp", FileCategory::code},
    {"html", FileCategory::code},      {"icns", FileCategory::images},
    {"iso", FileCategory::archives},   {"java", FileCategory::code},
    {"jpeg", FileCategory::images},    {"jpg", FileCategory::images},
    {"js", FileCategory::code},        {"json", FileCategory::code},
    {"jsx", FileCategory::code},       {"key", FileCategory::documents},
    {"kt", FileCategory::code},        {"log", FileCategory::caches},
    {"m", FileCategory::code},         {"m2ts", FileCategory::video},
    {"m4a", FileCategory::audio},      {"m4v", FileCategory::video},
    {"md", FileCategory::documents},   {"mkv", FileCategory::video},
    {"mm", FileCategory::code},        {"mov", FileCategory::video},
    {"mp3", FileCategory::audio},      {"mp4", FileCategory::video},
    {"mpeg", FileCategory::video},     {"mpg", FileCategory::video},
    {"nef", FileCategory::images},     {"numbers", FileCategory::documents},
    {"ogg", FileCategory::audio},      {"pages", FileCategory::documents},
    {"pdf", FileCategory::documents},  {"pkg", FileCategory::archives},
    {"png", FileCategory::images},     {"ppt", FileCategory::documents},
    {"pptx", FileCategory::documents}, {"psd", FileCategory::images},
    {"py", FileCategory::code},        {"rar", FileCategory::archives},
    {"raw", FileCategory::images},     {"rb", FileCategory::code},
    {"rs", FileCategory::code},        {"rtf", FileCategory::documents},
    {"sh", FileCategory::code},        {"svg", FileCategory::images},
    {"swift", FileCategory::code},     {"tar", FileCategory::archives},
    {"tgz", FileCategory::archives},   {"tif", FileCategory::images},
    {"tiff", FileCategory::images},    {"tmp", FileCategory::caches},
    {"ts", FileCategory::code},        {"tsx", FileCategory::code},
    {"txt", FileCategory::documents},  {"wav", FileCategory::audio},
    {"webm", FileCategory::video},     {"webp", FileCategory::images},
    {"wmv", FileCategory::video},      {"xls", FileCategory::documents},
    {"xlsx", FileCategory::documents}, {"xml", FileCategory::code},
    {"xz", FileCategory::archives},    {"yaml", FileCategory::code},
    {"yml", FileCategory::code},       {"zip", FileCategory::archives},
    {"zst", FileCategory::archives},
};

constexpr Ext kBundleExtensions[] = {
    {"app", FileCategory::apps},
    {"appex", FileCategory::apps},
    {"bundle", FileCategory::apps},
    {"framework", FileCategory::apps},
    {"photolibrary", FileCategory::images},
    {"photoslibrary", FileCategory::images},
    {"plugin", FileCategory::apps},
    {"xpc", FileCategory::apps},
};

// The lower-cased extension of a UTF-8 name into `out`; false when there is none or it is too
// long to be one of ours.
bool lowerExtension(std::string_view name, char (&out)[16], size_t& length)
{
    // Only the last 16 bytes can hold a dot that starts an extension short enough.
    const size_t stop = name.size() > sizeof out ? name.size() - sizeof out : 0;
    size_t dot = name.size();
    while (dot > stop && name[dot - 1] != '.')
        --dot;
    if (dot == stop)
        return false; // no dot, or the extension is too long

    const std::string_view ext = name.substr(dot);
    if (ext.empty() || ext.size() >= sizeof out)
        return false;
    for (size_t i = 0; i < ext.size(); ++i) {
        const char c = ext[i];
        out[i] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    length = ext.size();
    return true;
}

// The category of the name's extension in `unsorted`, or `fallback`.
template <size_t N>
FileCategory lookup(const Ext (&unsorted)[N], std::string_view name, FileCategory fallback)
{
    static const std::array<Ext, N> table = [&] {
        std::array<Ext, N> t;
        std::copy(std::begin(unsorted), std::end(unsorted), t.begin());
        std::sort(t.begin(), t.end(), [](const Ext& a, const Ext& b) { return std::strcmp(a.ext, b.ext) < 0; });
        return t;
    }();
    char buf[16];
    size_t len = 0;
    if (!lowerExtension(name, buf, len))
        return fallback;
    const std::string_view ext(buf, len);
    size_t lo = 0, hi = N;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        const int c = ext.compare(table[mid].ext);
        if (c == 0)
            return table[mid].category;
        if (c < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return fallback;
}

} // namespace

QString rawValue(FileCategory category) { return QString::fromLatin1(kRaw[size_t(category)]); }

std::optional<FileCategory> FileCategoryFromRaw(const QString& raw)
{
    for (FileCategory c : allFileCategories()) {
        if (rawValue(c) == raw)
            return c;
    }
    return std::nullopt;
}

const QList<FileCategory>& allFileCategories()
{
    static const QList<FileCategory> all{FileCategory::video,     FileCategory::images, FileCategory::audio,
                                         FileCategory::archives,  FileCategory::apps,   FileCategory::code,
                                         FileCategory::documents, FileCategory::caches, FileCategory::other};
    return all;
}

namespace FileCategories {

FileCategory forFile(std::string_view utf8Name) { return lookup(kFileExtensions, utf8Name, FileCategory::other); }

FileCategory forFile(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    return forFile(std::string_view(utf8.constData(), size_t(utf8.size())));
}

FileCategory bundleOr(std::string_view utf8FolderName, FileCategory fallback)
{
    return lookup(kBundleExtensions, utf8FolderName, fallback);
}

std::optional<FileCategory> bundle(std::string_view utf8FolderName)
{
    // `other` is never a bundle category, so it can stand for "none" here.
    const FileCategory c = lookup(kBundleExtensions, utf8FolderName, FileCategory::other);
    return c == FileCategory::other ? std::nullopt : std::optional(c);
}

std::optional<FileCategory> bundle(const QString& folderName)
{
    const QByteArray utf8 = folderName.toUtf8();
    return bundle(std::string_view(utf8.constData(), size_t(utf8.size())));
}

Color color(FileCategory category)
{
    switch (category) {
    case FileCategory::video: return {0.58, 0.45, 0.86};
    case FileCategory::images: return {0.95, 0.56, 0.34};
    case FileCategory::audio: return {0.95, 0.76, 0.32};
    case FileCategory::archives: return {0.52, 0.55, 0.62};
    case FileCategory::apps: return {0.29, 0.64, 0.95};
    case FileCategory::code: return {0.30, 0.76, 0.66};
    case FileCategory::documents: return {0.42, 0.74, 0.42};
    case FileCategory::caches: return {0.84, 0.46, 0.46};
    case FileCategory::other: return {0.56, 0.56, 0.56};
    }
    return {0.56, 0.56, 0.56};
}

} // namespace FileCategories
