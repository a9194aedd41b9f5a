// The form in a web page: page.js draws it and queues the user's events; this loop hands them
// to the form one at a time, as a desktop's event loop does.

#include "generated/version.h"
#include "runtime/core/form.h"
#include "runtime/core/layout.h"
#include "runtime/start.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// What page.js queues besides a click, whose code is the control's index, or menu_codes plus
// the menu's index.
enum : int { tick_code = -1, dismissed_code = -2, resized_code = -3, menu_codes = 1000 };

// Waits, without holding up the page, for the next event the user or the clock brings.
EM_ASYNC_JS(int, next_event, (), { return await Page.nextEvent(); });

EM_JS(void, add_menu, (int code, const char *caption, int parent), {
    Page.addMenu(code, UTF8ToString(caption), parent);
});
EM_JS(void, add_control, (int code, int kind, const char *caption, int left, int top, int width,
                          int height, bool visible, const char *font, const char *picture,
                          const char *name),
      {
          Page.addControl(code, kind, UTF8ToString(caption), [ left, top, width, height ], visible,
                          UTF8ToString(font), UTF8ToString(picture), UTF8ToString(name));
      });
EM_JS(void, show_form, (const char *caption, int width, int height), {
    Page.showForm(UTF8ToString(caption), width, height);
});
EM_JS(void, show, (int code, bool visible), { Page.show(code, visible); });
EM_JS(void, set_text, (int code, const char *text), { Page.setText(code, UTF8ToString(text)); });
EM_JS(void, start_clock, (int ms), { Page.startClock(ms); });
EM_JS(void, stop_clock, (), { Page.stopClock(); });
EM_JS(int, focused, (), { return Page.focused(); });
EM_JS(void, focus, (int code, const char *news), { Page.focus(code, UTF8ToString(news)); });
EM_JS(void, announce, (const char *news), { Page.say(UTF8ToString(news)); });
EM_JS(void, open_box, (const char *title, const char *prompt), {
    Page.openBox(UTF8ToString(title), UTF8ToString(prompt));
});
EM_JS(void, end_page, (const char *title), { Page.end(UTF8ToString(title)); });
EM_JS(double, room_width, (), { return Page.room().width; });
EM_JS(double, room_height, (), { return Page.room().height; });
EM_JS(double, pixel_ratio, (), { return window.devicePixelRatio; });
EM_JS(void, place_form, (double scale, bool column), { Page.placeForm(scale, column); });
EM_JS(void, set_picture, (int code, int rendition), { Page.setPicture(code, rendition); });

using namespace runtime;

class WebForm final : private Surface {
public:
    WebForm(const WindowDescription &description, EventTable events)
        : description_(description), form_(description_, events, *this)
    {
    }

    int run()
    {
        build();
        arrange();  // the welcome box at the form's text size
        form_.raise("Form", Event::Load);
        if (form_.ended())
            return form_.exit_status();
        const PixelBox client = client_box(description_, 1.0);
        show_form(std::string(description_.caption).c_str(), client.width, client.height);
        shown_ = true;
        arrange();
        if (!form_.first_button().empty())
            ::focus(code(form_.first_button()), "");
        while (!form_.ended())
            deliver(next_event());
        return form_.exit_status();
    }

private:
    void build()
    {
        const auto &menus = description_.menus;
        for (std::size_t i = 0; i < menus.size(); ++i) {
            const auto parent = std::find_if(menus.begin(), menus.end(),
                                             [&](const MenuDescription &m) { return m.name == menus[i].parent; });
            add_menu(menu_codes + int(i), std::string(menus[i].caption).c_str(),
                     parent == menus.end() ? -1 : menu_codes + int(parent - menus.begin()));
        }
        // The page reads top to bottom, then the push buttons in the order the focus takes them.
        std::vector<const ControlDescription *> order;
        for (const ControlDescription &control : description_.controls) {
            if (control.kind != ControlKind::PushButton && control.kind != ControlKind::Timer)
                order.push_back(&control);
        }
        std::stable_sort(order.begin(), order.end(), [](auto *a, auto *b) {
            return a->top != b->top ? a->top < b->top : a->left < b->left;
        });
        for (std::string_view name : form_.focus_order())
            order.push_back(&description_.controls[code(name)]);
        for (const ControlDescription *control : order) {
            const PixelBox box = to_pixels(*control, 1.0);
            std::string font;
            if (control->font) {
                font = std::to_string(control->font->weight) + " " + std::to_string(control->font->points) +
                       "pt " + std::string(control->font->family);
            }
            add_control(code(control->name), int(control->kind), std::string(control->caption).c_str(),
                        box.left, box.top, box.width, box.height, control->visible, font.c_str(),
                        std::string(control->picture).c_str(), control->accessible_name.c_str());
        }
    }

    void deliver(int event)
    {
        if (event == tick_code)
            form_.tick();
        else if (event == resized_code)
            arrange();
        else if (event >= menu_codes)
            form_.raise(description_.menus[event - menu_codes].name, Event::Click);
        else if (event >= 0)
            form_.raise(description_.controls[event].name, Event::Click);
    }

    // The form at the largest scale at which it fits the page, each picture drawn from the
    // bitmap made for its size in device pixels, or else from the vector art. Smaller than
    // designed, its text could not be read: the page sets the controls in one column instead,
    // the pictures across its width.
    void arrange()
    {
        // Not below a tenth: a page not laid out yet has no room at all.
        const double scale = std::max(0.1, fitting_scale(description_, room_width(), room_height()));
        const bool column = scale < 1;
        place_form(scale, column);
        if (!shown_)
            return;  // the pictures wait for the form: decoding them would hold up the welcome box
        for (const ControlDescription &control : description_.controls) {
            if (control.kind != ControlKind::Image)
                continue;
            const double designed = double(control.width) / twips_per_pixel;
            const double device = designed * scale * pixel_ratio();
            const auto is = [device, column](double size) { return !column && std::abs(device - size) < 1e-6; };
            set_picture(code(control.name), is(designed) ? 1 : is(2 * designed) ? 2 : 0);
        }
    }

    int code(std::string_view name) const
    {
        const auto &controls = description_.controls;
        return int(std::find_if(controls.begin(), controls.end(),
                                [name](const ControlDescription &c) { return c.name == name; }) -
                   controls.begin());
    }

    void show_control(std::string_view control, bool visible) override { show(code(control), visible); }
    void set_caption(std::string_view control, std::string_view caption) override
    {
        set_text(code(control), std::string(caption).c_str());
    }
    void start_clock(int ms) override { ::start_clock(ms); }
    void stop_clock() override { ::stop_clock(); }
    std::string focused() const override
    {
        const int code = ::focused();
        return code >= 0 ? std::string(description_.controls[code].name) : std::string();
    }
    void focus(std::string_view control, std::string_view news) override
    {
        ::focus(code(control), std::string(news).c_str());
    }
    void announce(std::string_view news) override { ::announce(std::string(news).c_str()); }

    // Modal: until it is dismissed only the clock and the page's size reach the form, so
    // that the reveal falls due behind the box.
    void message_box(std::string_view prompt) override
    {
        open_box(quellary::product_name, std::string(prompt).c_str());
        for (int event; (event = next_event()) != dismissed_code;) {
            if (event == tick_code || event == resized_code)
                deliver(event);
        }
    }

    void quit(int) override { end_page(quellary::product_name); }

    const WindowDescription description_;
    Form form_;
    bool shown_ = false;
};

} // namespace

namespace runtime {

int start(int, char **, const WindowDescription &form, EventTable events)
{
    static WebForm page(form, events);
    return page.run();
}

} // namespace runtime
