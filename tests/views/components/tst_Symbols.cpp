#include "models/CleanupCatalog.h"
#include "views/components/Symbol.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

namespace {

QString sourceRoot()
{
    return QStringLiteral(DUSTLET_SOURCE_DIR "/src");
}

QStringList sourceFiles()
{
    QStringList files;
    QDirIterator it(sourceRoot(), {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.mm"), QStringLiteral("*.inc")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

int opaquePixels(const QPixmap& pm)
{
    const QImage img = pm.toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) > 128;
    return n;
}

// Symbol names written in the interface code: string literals handed to something that draws a
// symbol (a name, icon or image argument), and dotted lower-case names such as "trash.fill".
QSet<QString> symbolLiterals(const QString& file, const QString& text)
{
    QSet<QString> names;
    static const QRegularExpression literal(QStringLiteral("\"([a-z][a-z0-9]*(?:\\.[a-z0-9]+)*)\""));
    static const QRegularExpression context(QStringLiteral("Symbol|SymbolView|icon|Icon|systemImage|symbol"));
    static const QRegularExpression notSymbol(QStringLiteral("^(dustlet|com|org|app)\\.|\\.(json|plist|py|txt|toml|yaml|xml|svg|png|lock|exs|kts|gradle)$"));
    const QString relative = QDir(sourceRoot()).relativeFilePath(file);
    const bool interfaceCode = relative.startsWith(QStringLiteral("views/")) || !relative.contains(QLatin1Char('/'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.trimmed().startsWith(QStringLiteral("//")) || line.contains(QStringLiteral("DUSTLET_SYMBOL(")))
            continue;
        auto it = literal.globalMatch(line);
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            if (notSymbol.match(name).hasMatch())
                continue;
            const bool dotted = name.contains(QLatin1Char('.'));
            if ((interfaceCode && dotted) || (interfaceCode && context.match(line).hasMatch()))
                names.insert(name);
        }
    }
    return names;
}

} // namespace

class tst_Symbols : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyTableEntryDraws()
    {
        const QStringList names = Symbol::tableNames();
        QVERIFY(names.size() > 40);
        for (const QString& name : names) {
            QVERIFY2(Symbol::resolves(name), qPrintable(name));
            const QPixmap pm = Symbol::pixmap(name, 32, Qt::red);
            QCOMPARE(pm.size(), QSize(32, 32));
            QVERIFY2(opaquePixels(pm) > 10, qPrintable(name + " draws nothing"));
        }
    }

    void composedForms()
    {
        for (const char* name : {"internaldrive.fill.badge.exclamationmark", "folder.badge.gearshape", "trash.circle.fill",
                                 "arrow.uturn.backward.circle.fill"})
            QVERIFY2(Symbol::resolves(QString::fromLatin1(name)), name);
        QVERIFY(!Symbol::resolves(QStringLiteral("no.such.symbol")));
        QVERIFY(!Symbol::resolves(QStringLiteral("no.such.badge.plus")));
        QVERIFY(Symbol::pixmap(QStringLiteral("no.such.symbol"), 16, Qt::black).isNull());

        // The warning form is the drive with a badge cut into its corner: a different image.
        const QImage plain = Symbol::pixmap(QStringLiteral("internaldrive.fill"), 32, Qt::black).toImage();
        const QImage warning = Symbol::pixmap(QStringLiteral("internaldrive.fill.badge.exclamationmark"), 32, Qt::black).toImage();
        QVERIFY(plain != warning);
        // A circled glyph is a filled disc with the glyph cut out: the centre area is partly clear.
        const QPixmap circled = Symbol::pixmap(QStringLiteral("trash.circle.fill"), 32, Qt::black);
        QVERIFY(opaquePixels(circled) > 300);
        QVERIFY(opaquePixels(circled) < 32 * 32 * 0.8);
    }

    void tintAndSize()
    {
        const QImage img = Symbol::pixmap(QStringLiteral("trash.fill"), 20, QColor(0, 128, 255), 2.0).toImage();
        QCOMPARE(img.size(), QSize(40, 40));
        bool tinted = false;
        for (int y = 0; y < img.height() && !tinted; ++y)
            for (int x = 0; x < img.width() && !tinted; ++x) {
                const QColor c = img.pixelColor(x, y);
                tinted = c.alpha() == 255 && c.red() == 0 && c.green() == 128 && c.blue() == 255;
            }
        QVERIFY(tinted);
    }

    void everySymbolNameInTheSourcesResolves()
    {
        QSet<QString> names;
        for (const CleanupTarget& t : CleanupCatalog::builtIn())
            names.insert(t.symbol);
        for (const CleanupTarget& t : CleanupCatalog::finderTargets({QStringLiteral("~/src")}, {}, 0))
            names.insert(t.symbol);

        const QStringList files = sourceFiles();
        QVERIFY2(files.size() > 20, qPrintable(sourceRoot()));
        for (const QString& file : files) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(f.readAll());
            for (const QString& name : symbolLiterals(file, text))
                names.insert(name);
        }
        QVERIFY(names.contains(QStringLiteral("internaldrive.fill.badge.exclamationmark")));
        QStringList missing;
        for (const QString& name : std::as_const(names))
            if (!Symbol::resolves(name))
                missing << name;
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("unresolved symbols: ") + missing.join(QStringLiteral(", "))));
    }

    void homeIsAbbreviatedOnlyWhereItLeads()
    {
        // Replacing every occurrence of the home path garbles other paths ("/Users/alex/src" with
        // home "/Users/al"); the one way to shorten a path is Paths::abbreviateHome.
        static const QRegularExpression replaceHome(
            QStringLiteral("\\.replace\\(\\s*(Paths::home\\(\\)|QDir::homePath\\(\\)|home\\b|m_home\\b|homePath\\b)"));
        QStringList offenders;
        for (const QString& file : sourceFiles()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            if (replaceHome.match(QString::fromUtf8(f.readAll())).hasMatch())
                offenders << QDir(sourceRoot()).relativeFilePath(file);
        }
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QStringLiteral(", "))));
    }
};

QTEST_MAIN(tst_Symbols)
#include "tst_Symbols.moc"
