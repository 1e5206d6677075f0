#pragma once
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

// Named system symbols ("internaldrive.fill", "trash.circle.fill", "folder.badge.gearshape")
// drawn from the embedded icon set, at a size and in one tint colour.
namespace Symbol {

// True when the name can be drawn: it is in the symbol table, or it is a badge or
// ".circle.fill" form whose parts are.
bool resolves(const QString& name);

// The names listed in the symbol table (composed forms not included).
QStringList tableNames();

// The symbol at `pixelSize` device-independent pixels, tinted; an empty pixmap when the name
// does not resolve.
QPixmap pixmap(const QString& name, int pixelSize, const QColor& tint, qreal devicePixelRatio = 1.0);

// An icon of the symbol (normal and disabled modes) for buttons and the tray.
QIcon icon(const QString& name, const QColor& tint, int pixelSize = 16);

} // namespace Symbol

// A widget that shows one symbol; the tint defaults to the text colour.
class SymbolView : public QWidget {
    Q_OBJECT
public:
    explicit SymbolView(const QString& name, int pixelSize, QWidget* parent = nullptr);
    SymbolView(const QString& name, int pixelSize, const QColor& tint, QWidget* parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString& name);
    void setTint(const QColor& tint);
    QColor tint() const;
    int pixelSize() const { return m_size; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_name;
    int m_size;
    std::optional<QColor> m_tint;
};
