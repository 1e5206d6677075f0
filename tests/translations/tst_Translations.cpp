// Every translation in translations/ covers every text in src/: lupdate brings a copy of each
// file up to date with the sources (as the update_translations target does, into a temporary
// folder, never the file itself), and every entry of the copy must be finished, with the same
// placeholders as its source text.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

struct Entry {
    QString context;
    QString source;
    QString type; // "unfinished", "vanished", "obsolete" or "" (finished)
    QStringList translations; // one, or one per plural form
    bool numerus = false;
};

QList<Entry> readTs(const QString& path, QString* error)
{
    QList<Entry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return entries;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Entry current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            if (name == u"context") {
                context.clear();
            } else if (name == u"name") {
                context = xml.readElementText();
            } else if (name == u"message") {
                current = Entry{};
                current.context = context;
                current.numerus = xml.attributes().value(QLatin1String("numerus")) == u"yes";
            } else if (name == u"source") {
                current.source = xml.readElementText();
            } else if (name == u"translation") {
                current.type = xml.attributes().value(QLatin1String("type")).toString();
                if (!current.numerus)
                    current.translations << xml.readElementText();
            } else if (name == u"numerusform") {
                current.translations << xml.readElementText();
            }
        } else if (xml.isEndElement() && xml.name() == u"message") {
            entries << current;
            current = Entry{};
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return entries;
}

// The placeholders of a text ("%1", "%2", "%n"), sorted.
QStringList placeholders(const QString& text)
{
    static const QRegularExpression mark(QStringLiteral("%(\\d+|n)"));
    QStringList found;
    for (auto it = mark.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    found.sort();
    return found;
}

QStringList sources()
{
    QStringList files;
    QDirIterator it(QStringLiteral(DUSTLET_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

} // namespace

class tst_Translations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyTextIsTranslated_data()
    {
        QTest::addColumn<QString>("ts");
        const QDir folder(QStringLiteral(DUSTLET_SOURCE_DIR "/translations"));
        const QStringList files = folder.entryList({QStringLiteral("dustlet_*.ts")}, QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), "no translation in translations/");
        for (const QString& f : files)
            QTest::newRow(qPrintable(f)) << folder.filePath(f);
    }

    void everyTextIsTranslated()
    {
        QFETCH(QString, ts);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString copy = work.filePath(QFileInfo(ts).fileName());
        QVERIFY(QFile::copy(ts, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        const QString list = work.filePath(QStringLiteral("sources.lst"));
        {
            QFile f(list);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(sources().join(QLatin1Char('\n')).toUtf8());
        }

        // The same options as the update_translations target.
        QStringList arguments = QStringLiteral(DUSTLET_LUPDATE_OPTIONS).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        arguments << QStringLiteral("-I") << QStringLiteral(DUSTLET_SOURCE_DIR "/src") << QLatin1Char('@') + list
                  << QStringLiteral("-ts") << copy;
        QProcess lupdate;
        lupdate.start(QStringLiteral(DUSTLET_LUPDATE), arguments);
        QVERIFY2(lupdate.waitForFinished(120000), qPrintable(lupdate.errorString()));
        QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
                 lupdate.readAllStandardError().constData());

        QString error;
        const QList<Entry> entries = readTs(copy, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!entries.isEmpty());

        QStringList missing, mismatched;
        for (const Entry& e : entries) {
            const QString where = e.context + QStringLiteral(": \"") + e.source + QLatin1Char('"');
            const bool empty = e.translations.isEmpty()
                || std::any_of(e.translations.cbegin(), e.translations.cend(),
                               [](const QString& t) { return t.isEmpty(); });
            if (e.type == QLatin1String("unfinished") || empty) {
                missing << where;
                continue;
            }
            if (e.type == QLatin1String("vanished") || e.type == QLatin1String("obsolete"))
                continue;
            for (const QString& t : e.translations)
                if (placeholders(t) != placeholders(e.source))
                    mismatched << where + QStringLiteral(" → \"") + t + QLatin1Char('"');
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("%1 text(s) without a finished translation in %2 (run the "
                                           "update_translations target, then translate them):\n  %3")
                                .arg(QString::number(missing.size()), QFileInfo(ts).fileName(),
                                     missing.join(QStringLiteral("\n  ")))));
        QVERIFY2(mismatched.isEmpty(),
                 qPrintable(QStringLiteral("placeholders differ from the source:\n  ")
                            + mismatched.join(QStringLiteral("\n  "))));
    }

    // A text written out in the code with its context in a variable is never found by the
    // translation tools, so it would stay English without anyone noticing: contexts are literal.
    void contextsAreLiteral()
    {
        static const QRegularExpression variableContext(
            QStringLiteral("\\btranslate\\(\\s*[A-Za-z_][\\w:]*\\s*,\\s*\""));
        QStringList found;
        for (const QString& path : sources()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            int line = 0;
            for (const QByteArray& text : file.readAll().split('\n')) {
                ++line;
                if (variableContext.match(QString::fromUtf8(text)).hasMatch())
                    found << QStringLiteral("%1:%2").arg(path).arg(line);
            }
        }
        QVERIFY2(found.isEmpty(),
                 qPrintable(QStringLiteral("a text with a context lupdate cannot read:\n  ")
                            + found.join(QStringLiteral("\n  "))));
    }
};

QTEST_GUILESS_MAIN(tst_Translations)
#include "tst_Translations.moc"
