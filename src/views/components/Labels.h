#pragma once
#include <QLabel>

// A tooltip for text from the file system or the user: tooltips take text that looks like HTML
// as rich text, so such text is escaped and shown as it is.
QString plainToolTip(const QString& text);

// A label for text from the file system or the user: always plain text, in a font and colour.
QLabel* makePlainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

// The width of the widest size text (formatBytes) a size column can show, up to "999.99 TB",
// in `font`: a column this wide never moves what stands beside it while a size counts up.
int sizeColumnWidth(const QFont& font);

// One line of plain text, elided in the middle to fit, selectable; its "Copy" menu item copies
// the whole text, as does the copy key on a selection that takes in the "…", and the tooltip
// shows it.
class SelectableElidedLabel : public QLabel {
    Q_OBJECT
public:
    SelectableElidedLabel(const QString& full, const QFont& font, const QColor& color, QWidget* parent = nullptr);
    QString fullText() const { return m_full; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString m_full;
};
