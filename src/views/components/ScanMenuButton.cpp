#include "views/components/ScanMenuButton.h"

#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QMenu>

ScanMenuButton::ScanMenuButton(Places places, QWidget* parent)
    : QToolButton(parent), m_places(std::move(places)), m_menu(new QMenu(this))
{
    setObjectName(QStringLiteral("scanMenuButton"));
    setText(tr("Scan"));
    const int glyph = Style::metric(16);
    setIcon(Symbol::icon(QStringLiteral("folder"), Style::primary(palette()), glyph));
    setIconSize(QSize(glyph, glyph));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAutoRaise(true);
    setPopupMode(QToolButton::InstantPopup);
    setFont(Style::font(Style::Text::body));
    m_menu->setObjectName(QStringLiteral("scanMenu"));
    setMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &ScanMenuButton::fill);
    fill();
}

void ScanMenuButton::fill()
{
    m_menu->clear();
    const QColor tint = Style::primary(palette());
    for (const ScanPreset& preset : m_places()) {
        QString label = preset.displayLabel();
        label.replace(QLatin1Char('&'), QLatin1String("&&")); // menus eat "&" as a mnemonic
        QAction* action = m_menu->addAction(Symbol::icon(preset.symbol, tint), label);
        const QString path = preset.path;
        connect(action, &QAction::triggered, this, [this, path] { Q_EMIT scanRequested(path); });
    }
    m_menu->addSeparator();
    QAction* choose = m_menu->addAction(Symbol::icon(QStringLiteral("folder"), tint), tr("Choose Folder…"));
    connect(choose, &QAction::triggered, this, &ScanMenuButton::chooseFolderRequested);
}
