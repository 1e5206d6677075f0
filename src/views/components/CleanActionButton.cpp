#include "views/components/CleanActionButton.h"

#include "views/components/Style.h"
#include "views/components/Symbol.h"

CleanActionButton::CleanActionButton(const QString& title, const QString& systemImage, bool enabled,
                                     std::function<void()> action, QWidget* parent)
    : QPushButton(parent)
{
    setTitle(title);
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
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Button, Style::accent(palette()));
        pal.setColor(group, QPalette::ButtonText, Qt::white);
    }
    setPalette(pal);
    setAutoFillBackground(false);
    setDefault(true);
    setEnabled(enabled);
    connect(this, &QPushButton::clicked, this, [action = std::move(action)] {
        if (action)
            action();
    });
}

void CleanActionButton::setTitle(const QString& title)
{
    m_title = title;
    // Shown as given: a "&" in a name stays a "&", not a mnemonic.
    QString shown = title;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    setText(shown);
}
