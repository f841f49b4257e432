#pragma once

#include <QEvent>

// A registered global hotkey was pressed; posted to the window it is registered on.
class HotkeyEvent : public QEvent
{
public:
    explicit HotkeyEvent(int id)
        : QEvent(EventType())
        , m_id(id)
    {
    }

    static QEvent::Type EventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

    int Id() const { return m_id; }

private:
    int m_id;
};
