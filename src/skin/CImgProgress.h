#pragma once

#include <algorithm>

#include <QColor>
#include <QImage>
#include <QProgressBar>
#include <QRect>

// Progress bar drawn from two images: a background that gives the control its size and a
// fill centred in it, shown from both of its end caps at every length, with an optional
// percentage text.
class CImgProgress : public QProgressBar
{
    Q_OBJECT
public:
    explicit CImgProgress(QWidget *parent = nullptr);

    // Takes both images; the control takes the background's size and the fill is centred.
    bool SetImages(const QImage &background, const QImage &fill);

    void SetRange(int lower, int upper) { setRange(lower, upper); }
    // A position outside the range moves to its nearer end.
    void SetPos(int position) { setValue(std::clamp(position, minimum(), std::max(minimum(), maximum()))); }

    // The text the bar shows for its position ("37%").
    QString PercentText() const;

    bool m_bShowPercent = false;
    QColor m_crPercent; // invalid until the owner sets it; black is used meanwhile

protected:
    void paintEvent(QPaintEvent *event) override;

    QImage m_hbmBack;
    QImage m_hbmFill;
    QRect m_rcBar;
    QRect m_rcFill;

private:
    QImage m_fillImage; // the fill with its key colour transparent
    QImage m_backImage;
};
