#include "views/components/LinkButton.h"

#include "views/components/FocusRing.h"
#include "views/components/Style.h"

LinkButton::LinkButton(const QString& text, const QFont& font, QWidget* parent) : QPushButton(parent)
{
    setFlat(true);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAutoDefault(false);
    // No frame or padding of a push button: only the text.
    setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0px; background: transparent; color: %1; }"
                                 "QPushButton:disabled { color: %2; }")
                      .arg(Style::accentText(palette()).name(), Style::secondary(palette()).name()));
    setTitle(text);
    FocusRing::attach(this);
}

void LinkButton::setTitle(const QString& text)
{
    m_title = text;
    QString shown = text;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    setText(shown);
}
