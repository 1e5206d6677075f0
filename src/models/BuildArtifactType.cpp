#include "models/BuildArtifactType.h"

namespace {

struct Row {
    const char* id;
    const char* label;
    QStringList names;
    int maxDepth;
    QStringList markers;
};

// id, label, folder names, deepest project folder, markers.
const Row kTable[] = {
    {"node_modules", "node_modules", {"node_modules"}, 6, {"package.json"}},
    {"next", ".next", {".next"}, 6, {"package.json"}},
    {"nuxt", ".nuxt / .output", {".nuxt", ".output"}, 6, {"package.json"}},
    {"sveltekit", ".svelte-kit", {".svelte-kit"}, 6, {"package.json"}},
    {"turbo", ".turbo", {".turbo"}, 6, {"package.json"}},
    {"parcel", ".parcel-cache", {".parcel-cache"}, 6, {"package.json"}},
    {"js_dist", "dist", {"dist"}, 6, {"package.json"}},
    {"target", "target", {"target"}, 5, {"Cargo.toml", "pom.xml"}},
    {"build", "build", {"build"}, 5, {"build.gradle", "build.gradle.kts", "pubspec.yaml", "CMakeLists.txt"}},
    {"gradle_cache", ".gradle", {".gradle"}, 5, {"build.gradle", "build.gradle.kts"}},
    {"cmake", "cmake-build", {"cmake-build-debug", "cmake-build-release"}, 5, {"CMakeLists.txt"}},
    {"spm_build", ".build", {".build"}, 5, {"Package.swift"}},
    {"pods", "Pods", {"Pods"}, 5, {"Podfile"}},
    {"dart_tool", ".dart_tool", {".dart_tool"}, 5, {"pubspec.yaml"}},
    {"venv", ".venv", {".venv", "venv"}, 4, {"pyproject.toml", "requirements.txt", "Pipfile", "setup.py"}},
    {"pycache", "__pycache__", {"__pycache__"}, 8, {}},
    {"py_caches", "py caches", {".pytest_cache", ".mypy_cache", ".ruff_cache", ".tox"}, 6, {}},
    {"php_vendor", "vendor", {"vendor"}, 5, {"composer.json"}},
    {"dotnet", "bin / obj", {"bin", "obj"}, 5, {"*.csproj", "*.sln", "*.fsproj", "*.vbproj"}},
    {"elixir", "_build / deps", {"_build", "deps"}, 5, {"mix.exs"}},
    {"haskell", "dist-newstyle", {"dist-newstyle"}, 5, {"*.cabal", "stack.yaml"}},
};

} // namespace

const QList<BuildArtifactType>& BuildArtifactType::all()
{
    static const QList<BuildArtifactType> table = [] {
        QList<BuildArtifactType> kinds;
        for (const Row& row : kTable)
            kinds.append({QString::fromLatin1(row.id), QString::fromLatin1(row.label),
                          QStringLiteral("shippingbox.fill"), row.names, row.maxDepth, row.markers});
        return kinds;
    }();
    return table;
}

bool BuildArtifactType::markerMatches(const QString& marker, const QString& entryName)
{
    // "*.csproj" matches any name ending in ".csproj", ".csproj" itself included.
    if (marker.startsWith(QLatin1String("*.")))
        return entryName.endsWith(QStringView(marker).mid(1));
    return entryName == marker;
}
