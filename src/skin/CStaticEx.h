#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QTimer>

// Skinned static text over its parent's background: font overrides, colours, an optional
// image or icon in front, its own character-by-character line breaking ("\r\n" is one
// break) and an optional link look (hand cursor, hover colour). The alignment chooses
// the format: centred, right or left.
class CStaticEx : public QLabel
{
    Q_OBJECT
public:
    explicit CStaticEx(QWidget *parent = nullptr);
    explicit CStaticEx(const QString &text, QWidget *parent = nullptr);

    // Sets the text drawn and repaints.
    void SetText(const QString &text);

    // Sets the image list drawn in front of the text (frames of `frameWidth`).
    void SetImageList(const QImage &strip, int frameWidth);

    // The font the text is drawn with: built once from the control's font and the overrides.
    QFont TextFont();

    // The lines the text breaks into at the current width.
    QStringList TextLines();

    QString m_strText;
    int m_nFontWidth = 0;
    int m_nFontWeight = -1;
    int m_nFontHeight = 0;
    bool m_bLink = false;
    int m_nUnderline = 0;
    QColor m_crNormal = Qt::black;
    QColor m_crHover = Qt::black;
    int m_nLineGap = 3;
    bool m_bHoverColor = false;
    bool m_bHover = false;
    bool m_bTracking = false;
    QIcon m_hIcon;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    bool m_bImageRight = false;
    int m_nImageIndex = 0;

signals:
    void clicked();

protected:
    // Draws the text part.
    virtual void DrawText(QPainter &painter);

    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    QFont m_font;
    QList<QImage> m_imgList;

private:
    QRect textRect() const;
    void trackMouse();

    bool m_fontBuilt = false;
    QTimer m_hoverTimer;
};
