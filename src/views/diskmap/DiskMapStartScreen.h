#pragma once
#include <QAbstractButton>
#include <QWidget>

#include <functional>

class QGridLayout;

// One place offered for scanning: a symbol over a label in an outlined card; the whole card
// takes the click.
class PresetCard : public QAbstractButton {
    Q_OBJECT
public:
    PresetCard(const QString& label, const QString& symbol, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    QString m_symbol;
    bool m_hovered = false;
};

// The Disk Map's first screen: what to scan, as a grid of cards: the fixed places, then the
// mounted volumes (read again each time the cards are built), then "Choose Folder…".
class DiskMapStartScreen : public QWidget {
    Q_OBJECT
public:
    explicit DiskMapStartScreen(QWidget* parent = nullptr);

    // Builds the cards anew (volumes come and go).
    void rebuild();
    QList<PresetCard*> cards() const;

Q_SIGNALS:
    void scanRequested(const QString& path);
    void chooseFolderRequested();

private:
    QGridLayout* m_grid;
};
