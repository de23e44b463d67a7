#pragma once

// Input injected through the X server (XTest), as a keyboard and a mouse deliver it: the server
// repeats a held key, gives the focus and routes the events, not the test.

#include <QPoint>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

class XTestInput
{
public:
    // Keysyms of the keys the tests hold.
    enum Keysym : xcb_keysym_t { Key6 = 0x36, KeyV = 0x76, KeyReturn = 0xff0d };

    XTestInput() : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection) == 0) {
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
            m_symbols = xcb_key_symbols_alloc(m_connection);
        }
    }
    ~XTestInput()
    {
        if (m_symbols)
            xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_connection);
    }
    XTestInput(const XTestInput &) = delete;
    XTestInput &operator=(const XTestInput &) = delete;

    bool isValid() const { return m_symbols != nullptr; }

    void keyDown(xcb_keysym_t keysym) { key(XCB_KEY_PRESS, keysym); }
    void keyUp(xcb_keysym_t keysym) { key(XCB_KEY_RELEASE, keysym); }
    void moveTo(QPoint global)
    {
        fake(XCB_MOTION_NOTIFY, 0, global);
    }
    void click(int button = 1)
    {
        fake(XCB_BUTTON_PRESS, button);
        fake(XCB_BUTTON_RELEASE, button);
    }
    // One notch of the wheel towards the user (X's button 5).
    void wheelDown() { click(5); }

private:
    void key(uint8_t type, xcb_keysym_t keysym)
    {
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
        if (codes) {
            fake(type, codes[0]);
            free(codes); // NOLINT: xcb's allocation
        }
    }
    void fake(uint8_t type, uint8_t detail, QPoint at = {})
    {
        xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, m_root,
                            int16_t(at.x()), int16_t(at.y()), 0);
        // Waits until the server has taken the event.
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
    xcb_key_symbols_t *m_symbols = nullptr;
};
