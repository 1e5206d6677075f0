#pragma once
#include <QPushButton>

#include <functional>

// The prominent action button at the foot of a tool window: the title (shown as given) with its
// symbol, in the accent colour, large.
class CleanActionButton : public QPushButton {
    Q_OBJECT
public:
    CleanActionButton(const QString& title, const QString& systemImage, bool enabled, std::function<void()> action,
                      QWidget* parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString& title);

private:
    QString m_title;
};
