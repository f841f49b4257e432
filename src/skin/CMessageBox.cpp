#include "CMessageBox.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

#include "skin/CBtnEx.h"
#include "skin/SkinImage.h"

namespace {

constexpr int kCaptionHeight = 30;
constexpr int kBorder = 4;

} // namespace

CMessageBox::CMessageBox(QWidget *parent)
    : CDlgEx(kTemplateId, parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint);
}

void CMessageBox::SetParams(int type, const QString &title, const QString &text, const QImage &background,
                            const QImage &closeImage, const QImage &firstButtonImage,
                            const QImage &secondButtonImage)
{
    m_nType = type;
    m_strTitle = title;
    m_strText = text;
    m_bmpBackground = background;
    m_bmpCloseImage = closeImage;
    m_bmpFirst = firstButtonImage;
    m_bmpSecond = secondButtonImage;
}

QSize CMessageBox::MeasureText() const
{
    const QFontMetrics metrics(m_pFont);
    int width = 0;
    const QStringList lines = m_strText.split(QLatin1Char('\n'));
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return QSize(width, int(lines.size()) * metrics.height());
}

bool CMessageBox::OnInitDialog()
{
    CDlgEx::OnInitDialog();
    m_nCaptionHeight = kCaptionHeight;
    m_nBorder = kBorder;
    m_nBtnRightMargin = m_nBtnTop = m_nBtnGap = 0;
    m_pFont = font();
    m_nLines = MessageLineCount(m_strText);

    const QSize frame(m_bmpFirst.width() / kButtonFrameCount, m_bmpFirst.height());
    const MessageBoxGeometry g = LayoutMessageBox(m_nType, MeasureText(), m_nLines, frame);
    resize(g.window);
    SetSkin(m_bmpBackground, m_bmpCloseImage, {}, {}, {});
    SetTitle(m_strTitle);

    m_btnFirst = createButton(kFirstButtonId, g.first, m_bmpFirst, g.firstText);
    if (!g.second.isEmpty())
        m_btnSecond = createButton(kSecondButtonId, g.second, m_bmpSecond, g.secondText);
    return true;
}

// Enter answers the first button, the box's default one.
void CMessageBox::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_btnFirst) {
        m_btnFirst->click();
        return;
    }
    CDlgEx::keyPressEvent(event);
}

CBtnEx *CMessageBox::createButton(int id, const QRect &rect, const QImage &strip, const QString &text)
{
    auto *button = new CBtnEx(id, this);
    button->setGeometry(rect);
    button->SetImage(strip, true);
    button->m_strText = text;
    connect(button, &CBtnEx::clicked, this, [this, id] { done(MessageBoxResult(m_nType, id)); });
    button->show();
    return button;
}

void CMessageBox::paintEvent(QPaintEvent *event)
{
    CDlgEx::paintEvent(event);
    QPainter painter(this);
    painter.setFont(m_pFont);
    painter.setPen(Qt::black);
    const QSize text = MeasureText();
    const int lineHeight = text.height() / m_nLines;
    QRect line((width() - text.width()) / 2, kMessageTextTop, text.width(), lineHeight);
    for (const QString &part : m_strText.split(QLatin1Char('\n'))) {
        painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, part);
        line.translate(0, lineHeight + kMessageLineGap);
    }
}

int ShowSkinnedMessage(int type, const QString &caption, const QString &text)
{
    CMessageBox box;
    box.SetParams(type, caption, text, LoadSkinImage(SkinId::SmallDialogBack), LoadSkinImage(SkinId::CloseButton),
                  LoadSkinImage(SkinId::DialogButton), LoadSkinImage(SkinId::DialogButton));
    return box.DoModal();
}
