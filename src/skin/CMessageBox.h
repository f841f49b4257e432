#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include "skin/CDlgEx.h"
#include "skin/MessageBoxLayout.h"

class CBtnEx;

// The skinned message box: a caption, a text of one or more lines and one or two image
// buttons; it sizes itself to the text, stays on top and returns the platform's result
// codes (IDOK, IDCANCEL, IDYES, IDNO). Closing it by its close button gives IDCANCEL.
class CMessageBox : public CDlgEx
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 163;

    explicit CMessageBox(QWidget *parent = nullptr);

    // Stores everything the box shows; call before DoModal.
    void SetParams(int type, const QString &title, const QString &text, const QImage &background,
                   const QImage &closeImage, const QImage &firstButtonImage, const QImage &secondButtonImage);

    // The measured text block: widest line x all lines, lines broken only at line feeds.
    QSize MeasureText() const;

protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    int m_nType = MB_OK;
    QString m_strTitle;
    QString m_strText;
    int m_nLines = 1;
    QFont m_pFont;
    QImage m_bmpCloseImage;
    QImage m_bmpFirst;
    QImage m_bmpSecond;
    CBtnEx *m_btnFirst = nullptr;
    CBtnEx *m_btnSecond = nullptr;

private:
    CBtnEx *createButton(int id, const QRect &rect, const QImage &strip, const QString &text);
    QImage m_bmpBackground;
};

// Shows a modal skinned message box of `type` (0 OK, 1 OK/Cancel, 4 Yes/No; any other
// value behaves as 0) and returns the result code.
int ShowSkinnedMessage(int type, const QString &caption, const QString &text);
