#include "views/components/CleanActionButton.h"

#include "views/components/Style.h"
#include "views/components/Symbol.h"

CleanActionButton::CleanActionButton(const QString& title, const QString& systemImage, bool enabled,
                                     std::function<void()> action, QWidget* parent)
    : QPushButton(parent), m_title(title)
{
    // Shown as given: a "&" in a name stays a "&", not a mnemonic.
    QString shown = title;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    setText(shown);
    QIcon icon;
    const QColor disabledText = palette().color(QPalette::Disabled, QPalette::ButtonText);
    for (qreal dpr : {1.0, 2.0}) {
        icon.addPixmap(Symbol::pixmap(systemImage, 16, Qt::white, dpr), QIcon::Normal);
        icon.addPixmap(Symbol::pixmap(systemImage, 16, disabledText, dpr), QIcon::Disabled);
    }
    setIcon(icon);
    setIconSize(QSize(16, 16));
    setFont(Style::font(Style::Text::body, QFont::Medium));
    setMinimumHeight(30);
    // Drawn by its own rules rather than the style's gradient, so that the white text keeps a
    // 4.5:1 contrast on the accent (darkened as far as that needs, hover included).
    QColor fill = Style::accent(palette()).toRgb();
    for (int i = 0; i < 40 && Style::contrastRatio(Qt::white, fill.lighter(108)) < 4.5; ++i)
        fill = fill.darker(106);
    const QPalette& p = palette();
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: white; border: 1px solid %2;"
                                 " border-radius: 6px; padding: %3px %4px; }"
                                 "QPushButton:hover { background-color: %5; }"
                                 "QPushButton:pressed { background-color: %2; }"
                                 "QPushButton:disabled { background-color: %6; color: %7; border-color: %8; }")
                      .arg(fill.name(), fill.darker(115).name(), QString::number(Style::metric(5)),
                           QString::number(Style::metric(14)), fill.lighter(108).name(),
                           p.color(QPalette::Disabled, QPalette::Button).name(), disabledText.name(),
                           p.color(QPalette::Disabled, QPalette::Mid).name()));
    setAutoFillBackground(false);
    setDefault(true);
    setEnabled(enabled);
    connect(this, &QPushButton::clicked, this, [action = std::move(action)] {
        if (action)
            action();
    });
}
