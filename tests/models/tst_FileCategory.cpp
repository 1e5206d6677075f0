#include "models/FileCategory.h"

#include <QTest>

class tst_FileCategory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rawValuesInOrder()
    {
        QStringList raws;
        for (FileCategory c : allFileCategories()) {
            raws << rawValue(c);
            QCOMPARE(FileCategoryFromRaw(rawValue(c)), c);
        }
        QCOMPARE(raws,
                 (QStringList{"video", "images", "audio", "archives", "apps", "code", "documents", "caches", "other"}));
        QCOMPARE(FileCategoryFromRaw("Video"), std::nullopt);
        QCOMPARE(FileCategories::color(FileCategory::video), (FileCategories::Color{0.58, 0.45, 0.86}));
        QCOMPARE(FileCategories::color(FileCategory::other), (FileCategories::Color{0.56, 0.56, 0.56}));
    }

    // Every listed extension finds its category (a sorting slip in the lookup table would lose some).
    void everyExtension_data()
    {
        QTest::addColumn<QString>("extensions");
        QTest::addColumn<FileCategory>("category");
        QTest::newRow("video") << "mov mp4 m4v avi mkv webm wmv flv mpg mpeg m2ts" << FileCategory::video;
        QTest::newRow("images") << "jpg jpeg png gif heic heif tiff tif bmp raw cr2 nef arw dng psd svg webp icns"
                                << FileCategory::images;
        QTest::newRow("audio") << "mp3 aac wav flac m4a aiff aif ogg alac caf" << FileCategory::audio;
        QTest::newRow("archives") << "zip tar gz tgz bz2 xz 7z rar dmg pkg iso cpgz zst" << FileCategory::archives;
        QTest::newRow("code")
            << "swift js ts tsx jsx py rb go rs c h cpp hpp m mm java kt json xml yml yaml sh html css"
            << FileCategory::code;
        QTest::newRow("documents") << "pdf doc docx xls xlsx ppt pptx txt md rtf pages numbers key epub csv"
                                   << FileCategory::documents;
        QTest::newRow("caches") << "log tmp cache crash" << FileCategory::caches;
    }
    void everyExtension()
    {
        QFETCH(QString, extensions);
        QFETCH(FileCategory, category);
        for (const QString& ext : extensions.split(' ')) {
            QCOMPARE(FileCategories::forFile("name." + ext), category);
            QCOMPARE(FileCategories::forFile("NAME." + ext.toUpper()), category);
        }
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<FileCategory>("category");
        QTest::newRow("no dot") << "Makefile" << FileCategory::other;
        QTest::newRow("only the last extension") << "backup.tar.gz" << FileCategory::archives;
        QTest::newRow("last extension decides") << "movie.mov.part" << FileCategory::other;
        QTest::newRow("upper case") << "CLIP.MOV" << FileCategory::video;
        QTest::newRow("mixed case") << "Photo.JpEg" << FileCategory::images;
        QTest::newRow("trailing dot") << "file." << FileCategory::other;
        QTest::newRow("unknown") << "data.bin" << FileCategory::other;
        QTest::newRow("bundle extension is no file kind") << "Thing.app" << FileCategory::other;
        QTest::newRow("long extension") << "x.averyveryverylongextension" << FileCategory::other;
        QTest::newRow("non-ASCII name") << QString::fromUtf8("résumé.PDF") << FileCategory::documents;
    }
    void fileNames()
    {
        QFETCH(QString, name);
        QFETCH(FileCategory, category);
        QCOMPARE(FileCategories::forFile(name), category);
    }

    void bundles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::optional<FileCategory>>("category");
        for (const char* e : {"app", "bundle", "framework", "xpc", "appex", "plugin"})
            QTest::newRow(e) << QString("Thing.") + e << std::optional(FileCategory::apps);
        QTest::newRow("photoslibrary") << "Photos Library.photoslibrary" << std::optional(FileCategory::images);
        QTest::newRow("photolibrary") << "Old.photolibrary" << std::optional(FileCategory::images);
        QTest::newRow("upper case") << "Safari.APP" << std::optional(FileCategory::apps);
        QTest::newRow("plain folder") << "Documents" << std::optional<FileCategory>();
        QTest::newRow("file extension on a folder") << "clips.mov" << std::optional<FileCategory>();
    }
    void bundles()
    {
        QFETCH(QString, name);
        QFETCH(std::optional<FileCategory>, category);
        QCOMPARE(FileCategories::bundle(name), category);
    }
};

QTEST_GUILESS_MAIN(tst_FileCategory)
#include "tst_FileCategory.moc"
