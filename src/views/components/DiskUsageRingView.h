#pragma once
#include "models/DiskInfo.h"

#include <QColor>
#include <QWidget>

class QLabel;
class QVariantAnimation;

// The disk ring of the panel header: how full the home volume is, with free, total and used.
class DiskUsageRingView : public QWidget {
    Q_OBJECT
public:
    enum class Tint { green, orange, red };

    struct Figures {
        qint64 used = 0;
        double fraction = 0; // 0 … 1
        int percent = 0;
        Tint tint = Tint::green;
        friend bool operator==(const Figures&, const Figures&) = default;
    };
    static Figures figures(const DiskInfo& disk);
    static QColor color(Tint tint);

    explicit DiskUsageRingView(const DiskInfo& disk, QWidget* parent = nullptr);

    void setDisk(const DiskInfo& disk);
    DiskInfo disk() const { return m_disk; }

    QString percentText() const;
    QString freeText() const;
    QString totalText() const;
    QString usedText() const;
    // The fraction the arc shows right now (it eases towards the figure's fraction).
    double shownFraction() const { return m_shown; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void refreshTexts();

    DiskInfo m_disk;
    Figures m_figures;
    double m_shown = 0;
    QVariantAnimation* m_animation;
    QLabel* m_free;
    QLabel* m_total;
    QLabel* m_used;
};
