// Every text of the panel, a target's information and the confirmation reads at 4.5:1 (3:1 when
// large) against what it is drawn on, measured from rendered pixels, in a light and a dark
// palette, at the desktop's default font and at a large one.
#include "../../services/AppModelFakes.h"
#include "ContrastKit.h"
#include "views/Windows.h"
#include "views/components/ConfirmSheet.h"
#include "views/panel/MenuPanelView.h"
#include "views/panel/TargetRowView.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

namespace {

QList<TargetState> scanningOne(QList<TargetState> list, const QString& id, qint64 count)
{
    for (TargetState& t : list)
        if (t.target.id == id) {
            t.isScanning = true;
            t.size = count;
        }
    return list;
}

// The panel in a window that takes its whole size, as the tray's popup does.
QWidget* hostedPanel(AppModel& model, Windows& windows, Clock& clock)
{
    auto* host = new QWidget;
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new MenuPanelView(model, windows, &clock));
    return host;
}

} // namespace

class tst_PanelContrast : public QObject {
    Q_OBJECT

    ContrastKit::Looks m_looks;

private Q_SLOTS:
    void initTestCase() { m_looks.save(); }
    void cleanup() { m_looks.restore(); }

    void panel_data() { ContrastKit::addLooks(); }
    void panel()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        m_looks.apply(dark, fontPx);
        ModelFixture f;
        f.sizes.insert(QStringLiteral("trash"), 39'000'000);
        f.sizes.insert(QStringLiteral("appcaches"), 1'070'000'000);
        auto model = f.makeModel();
        model->start();
        settle();
        model->setLastScan(f.clock.now().addSecs(-300));
        model->setStatusMessage(QStringLiteral("Freed 3.42 GB total"));
        model->settings().setEnabled(false, QStringLiteral("trash")); // a dimmed group
        Windows windows;
        QWidget* host = hostedPanel(*model, windows, f.clock);
        ContrastKit::verifyAll(host, {"freshness", "total", "statusLine", "cleanUpButton", "groupTitle", "quitButton"},
                               12);
        delete host;
    }

    void developerPanel_data() { ContrastKit::addLooks(); }
    void developerPanel()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        m_looks.apply(dark, fontPx);
        ModelFixture f;
        f.sizes.insert(QStringLiteral("trash"), 39'000'000);
        auto model = f.makeModel();
        model->settings().setDeveloperMode(true);
        model->rebuildTargets();
        model->start();
        settle();
        model->settings().setEnabled(false, QStringLiteral("logs")); // a dimmed row
        model->setTargets(scanningOne(model->targets(), QStringLiteral("appcaches"), 5'000'000));
        Windows windows;
        QWidget* host = hostedPanel(*model, windows, f.clock);
        ContrastKit::verifyAll(host, {"sectionTitle", "cleanUpButton"}, 20);
        delete host;
    }

    void targetInformation_data() { ContrastKit::addLooks(); }
    void targetInformation()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        m_looks.apply(dark, fontPx);
        ModelFixture f;
        auto model = f.makeModel();
        auto* box = new QWidget;
        box->setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(TargetRowView::makeInfoContent(findTarget(*model, QStringLiteral("chrome"))->target));
        ContrastKit::verifyAll(box, {"infoTitle", "infoWhySafe", "locationHeading", "locationPath"}, 4);
        delete box;
    }

    void confirmation_data() { ContrastKit::addLooks(); }
    void confirmation()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        m_looks.apply(dark, fontPx);
        QList<ConfirmSheet::Item> items;
        for (int i = 0; i < 4; ++i)
            items.append({QStringLiteral("Item %1").arg(i), qint64(i + 1) * 700'000'000});
        auto* sheet = new ConfirmSheet(QStringLiteral("all enabled items"), QStringLiteral("2.8 GB"),
                                       QStringLiteral("Everything here is a cache that comes back by itself."), items,
                                       true, {}, {});
        sheet->setAutoFillBackground(true);
        ContrastKit::verifyAll(sheet, {"confirmButton"}, 10);
        delete sheet;
    }
};

QTEST_MAIN(tst_PanelContrast)
#include "tst_PanelContrast.moc"
