#include "platform/gtk/GtkAccessibleElements.h"

#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/ui/AccessibilityElement.h"
#include "platform/ui/View.h"

#include <gtk/gtk-a11y.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace folio {

namespace {

constexpr const char* kViewOfKey = "folio-accessible-view-of";
// Set once a screen reader has asked for the area's accessible object:
// until then nobody listens, and nothing is worked out for it.
constexpr const char* kAccessibleMadeKey = "folio-accessible-made";

std::shared_ptr<View> viewOfArea(GtkWidget* area)
{
    auto viewOf = reinterpret_cast<GtkAccessibleElements::ViewOfArea>(g_object_get_data(G_OBJECT(area), kViewOfKey));
    return viewOf ? viewOf(area) : nullptr;
}

// ---- One element.

struct ElementState {
    std::shared_ptr<AccessibilityElement> element;
    // Cleared when the area goes.
    GtkWidget* area = nullptr;
    int index = 0;
    std::string name;
};

struct FolioElementAccessible {
    AtkObject parent;
    ElementState* state;
};

struct FolioElementAccessibleClass {
    AtkObjectClass parentClass;
};

void folio_element_accessible_component_init(AtkComponentIface* iface);

G_DEFINE_TYPE_WITH_CODE(FolioElementAccessible, folio_element_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, folio_element_accessible_component_init))

ElementState& stateOf(gpointer object) { return *reinterpret_cast<FolioElementAccessible*>(object)->state; }

// The accessible object of the widget showing the view that answers for
// the element (an attachment's), when there is one now.
AtkObject* proxiedAccessible(const ElementState& state)
{
    std::shared_ptr<View> view = state.element->accessibilityProxiedView();
    if (!view || !state.area)
        return nullptr;
    GtkWidget* widget = GtkViewBuilder::widgetForView(gtk_widget_get_toplevel(state.area), *view);
    return widget ? gtk_widget_get_accessible(widget) : nullptr;
}

bool isText(const ElementState& state)
{
    return state.element->accessibilityTraits() & (AccessibilityTraitStaticText | AccessibilityTraitLink);
}

// Where `widget` stands on the screen.
GdkRectangle screenRectOf(GtkWidget* widget)
{
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    GdkRectangle rect{0, 0, allocation.width, allocation.height};
    if (GdkWindow* window = gtk_widget_get_window(widget))
        gdk_window_get_origin(window, &rect.x, &rect.y);
    if (!gtk_widget_get_has_window(widget)) {
        rect.x += allocation.x;
        rect.y += allocation.y;
    }
    return rect;
}

// The element's rectangle in the coordinates `type` names.
std::optional<GdkRectangle> extentsOf(const ElementState& state, AtkCoordType type)
{
    std::optional<Rect> frame = state.element->accessibilityFrameInContainer();
    if (!state.area || !frame || !gtk_widget_get_realized(state.area))
        return std::nullopt;
    int left = static_cast<int>(std::floor(frame->minX()));
    int top = static_cast<int>(std::floor(frame->minY()));
    GdkRectangle rect{left, top, static_cast<int>(std::ceil(frame->maxX())) - left,
                      static_cast<int>(std::ceil(frame->maxY())) - top};
    if (type == ATK_XY_PARENT)
        return rect;
    GdkRectangle area = screenRectOf(state.area);
    rect.x += area.x;
    rect.y += area.y;
    if (type == ATK_XY_WINDOW) {
        GdkRectangle window = screenRectOf(gtk_widget_get_toplevel(state.area));
        rect.x -= window.x;
        rect.y -= window.y;
    }
    return rect;
}

// Whether any of the element is in sight: within every scrolled part
// that holds its area.
bool isShowing(const ElementState& state)
{
    if (!state.area || !gtk_widget_get_mapped(state.area))
        return false;
    std::optional<GdkRectangle> rect = extentsOf(state, ATK_XY_SCREEN);
    if (!rect || rect->width <= 0 || rect->height <= 0)
        return false;
    for (GtkWidget* ancestor = gtk_widget_get_parent(state.area); ancestor; ancestor = gtk_widget_get_parent(ancestor)) {
        if (!GTK_IS_VIEWPORT(ancestor))
            continue;
        GdkRectangle shown = screenRectOf(ancestor);
        if (!gdk_rectangle_intersect(&*rect, &shown, nullptr))
            return false;
    }
    return true;
}

const gchar* elementName(AtkObject* object)
{
    ElementState& state = stateOf(object);
    if (AtkObject* proxied = isText(state) ? nullptr : proxiedAccessible(state))
        return atk_object_get_name(proxied);
    state.name = toUtf8(state.element->accessibilityLabel());
    return state.name.c_str();
}

AtkRole elementRole(AtkObject* object)
{
    const ElementState& state = stateOf(object);
    if (state.element->accessibilityTraits() & AccessibilityTraitLink)
        return ATK_ROLE_LINK;
    if (isText(state))
        return ATK_ROLE_STATIC;
    AtkObject* proxied = proxiedAccessible(state);
    return proxied ? atk_object_get_role(proxied) : ATK_ROLE_UNKNOWN;
}

AtkObject* elementParent(AtkObject* object)
{
    const ElementState& state = stateOf(object);
    // The area's accessible object, owned by the area: not held here, so
    // that the two do not keep each other.
    return state.area ? gtk_widget_get_accessible(state.area) : nullptr;
}

gint elementIndex(AtkObject* object) { return stateOf(object).index; }

AtkStateSet* elementStates(AtkObject* object)
{
    const ElementState& state = stateOf(object);
    if (AtkObject* proxied = isText(state) ? nullptr : proxiedAccessible(state))
        return atk_object_ref_state_set(proxied);
    AtkStateSet* states = atk_state_set_new();
    if (!state.area)
        atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
    atk_state_set_add_state(states, ATK_STATE_ENABLED);
    atk_state_set_add_state(states, ATK_STATE_SENSITIVE);
    atk_state_set_add_state(states, ATK_STATE_VISIBLE);
    if (isShowing(state))
        atk_state_set_add_state(states, ATK_STATE_SHOWING);
    return states;
}

void elementExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height, AtkCoordType type)
{
    std::optional<GdkRectangle> rect = extentsOf(stateOf(component), type);
    *x = rect ? rect->x : -1;
    *y = rect ? rect->y : -1;
    *width = rect ? rect->width : 0;
    *height = rect ? rect->height : 0;
}

void elementFinalize(GObject* object)
{
    ElementState* state = reinterpret_cast<FolioElementAccessible*>(object)->state;
    if (state->area)
        g_object_remove_weak_pointer(G_OBJECT(state->area), reinterpret_cast<gpointer*>(&state->area));
    delete state;
    G_OBJECT_CLASS(folio_element_accessible_parent_class)->finalize(object);
}

void folio_element_accessible_init(FolioElementAccessible* self) { self->state = new ElementState; }

void folio_element_accessible_class_init(FolioElementAccessibleClass* klass)
{
    G_OBJECT_CLASS(klass)->finalize = elementFinalize;
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->get_name = elementName;
    atk->get_role = elementRole;
    atk->get_parent = elementParent;
    atk->get_index_in_parent = elementIndex;
    atk->ref_state_set = elementStates;
}

void folio_element_accessible_component_init(AtkComponentIface* iface) { iface->get_extents = elementExtents; }

AtkObject* newElementAccessible(std::shared_ptr<AccessibilityElement> element, GtkWidget* area, int index)
{
    auto* object = ATK_OBJECT(g_object_new(folio_element_accessible_get_type(), nullptr));
    ElementState& state = stateOf(object);
    state.element = std::move(element);
    state.area = area;
    g_object_add_weak_pointer(G_OBJECT(area), reinterpret_cast<gpointer*>(&state.area));
    state.index = index;
    return object;
}

// ---- The drawing area's accessible object: the elements as its children.

struct AreaChildren {
    std::vector<std::pair<std::shared_ptr<AccessibilityElement>, AtkObject*>> made;

    void clear()
    {
        for (auto& entry : made)
            if (entry.second)
                g_object_unref(entry.second);
        made.clear();
    }
};

struct FolioDrawnAreaAccessible {
    GtkWidgetAccessible parent;
    AreaChildren* children;
};

struct FolioDrawnAreaAccessibleClass {
    GtkWidgetAccessibleClass parentClass;
};

G_DEFINE_TYPE(FolioDrawnAreaAccessible, folio_drawn_area_accessible, GTK_TYPE_WIDGET_ACCESSIBLE)

AreaChildren& childrenOf(AtkObject* object) { return *reinterpret_cast<FolioDrawnAreaAccessible*>(object)->children; }

GtkWidget* areaOf(AtkObject* object) { return gtk_accessible_get_widget(GTK_ACCESSIBLE(object)); }

gint areaChildCount(AtkObject* object)
{
    GtkWidget* area = areaOf(object);
    std::shared_ptr<View> view = area ? viewOfArea(area) : nullptr;
    return view ? static_cast<gint>(view->accessibilityElementCount()) : 0;
}

AtkObject* areaChild(AtkObject* object, gint index)
{
    GtkWidget* area = areaOf(object);
    std::shared_ptr<View> view = area ? viewOfArea(area) : nullptr;
    std::shared_ptr<AccessibilityElement> element =
        view && index >= 0 ? view->accessibilityElementAtIndex(static_cast<std::size_t>(index)) : nullptr;
    if (!element)
        return nullptr;
    AreaChildren& children = childrenOf(object);
    if (children.made.size() <= static_cast<std::size_t>(index))
        children.made.resize(static_cast<std::size_t>(index) + 1);
    auto& entry = children.made[static_cast<std::size_t>(index)];
    // The same element keeps its object, which a screen reader may hold.
    if (entry.first != element) {
        if (entry.second)
            g_object_unref(entry.second);
        entry = {element, newElementAccessible(element, area, index)};
    }
    return ATK_OBJECT(g_object_ref(entry.second));
}

void areaInitialize(AtkObject* object, gpointer data)
{
    ATK_OBJECT_CLASS(folio_drawn_area_accessible_parent_class)->initialize(object, data);
    g_object_set_data(G_OBJECT(data), kAccessibleMadeKey, GINT_TO_POINTER(1));
}

void areaFinalize(GObject* object)
{
    AreaChildren* children = reinterpret_cast<FolioDrawnAreaAccessible*>(object)->children;
    children->clear();
    delete children;
    G_OBJECT_CLASS(folio_drawn_area_accessible_parent_class)->finalize(object);
}

void folio_drawn_area_accessible_init(FolioDrawnAreaAccessible* self) { self->children = new AreaChildren; }

void folio_drawn_area_accessible_class_init(FolioDrawnAreaAccessibleClass* klass)
{
    G_OBJECT_CLASS(klass)->finalize = areaFinalize;
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->initialize = areaInitialize;
    atk->get_n_children = areaChildCount;
    atk->ref_child = areaChild;
}

// ---- The drawing area, a plain one but for its accessible object.

struct FolioDrawnArea {
    GtkDrawingArea parent;
};

struct FolioDrawnAreaClass {
    GtkDrawingAreaClass parentClass;
};

G_DEFINE_TYPE(FolioDrawnArea, folio_drawn_area, GTK_TYPE_DRAWING_AREA)

void folio_drawn_area_init(FolioDrawnArea*) {}

void folio_drawn_area_class_init(FolioDrawnAreaClass* klass)
{
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), folio_drawn_area_accessible_get_type());
    // Setting the type forgets the role a drawing area has.
    gtk_widget_class_set_accessible_role(GTK_WIDGET_CLASS(klass), ATK_ROLE_DRAWING_AREA);
}

} // namespace

GtkWidget* GtkAccessibleElements::newDrawingArea(ViewOfArea viewOf)
{
    GtkWidget* area = GTK_WIDGET(g_object_new(folio_drawn_area_get_type(), nullptr));
    g_object_set_data(G_OBJECT(area), kViewOfKey, reinterpret_cast<gpointer>(viewOf));
    return area;
}

void GtkAccessibleElements::elementsMayHaveChanged(GtkWidget* area)
{
    if (!g_object_get_data(G_OBJECT(area), kAccessibleMadeKey))
        return;
    AtkObject* accessible = gtk_widget_get_accessible(area);
    std::shared_ptr<View> view = viewOfArea(area);
    AreaChildren& children = childrenOf(accessible);
    const std::size_t count = view ? view->accessibilityElementCount() : 0;
    bool same = children.made.size() == count;
    for (std::size_t i = 0; same && i < count; ++i)
        same = children.made[i].first == view->accessibilityElementAtIndex(i);
    if (same)
        return;
    std::vector<std::pair<std::shared_ptr<AccessibilityElement>, AtkObject*>> gone = std::move(children.made);
    children.made.clear();
    for (std::size_t i = gone.size(); i-- > 0;) {
        if (gone[i].second)
            g_signal_emit_by_name(accessible, "children-changed::remove", static_cast<guint>(i), gone[i].second);
    }
    for (auto& entry : gone)
        if (entry.second)
            g_object_unref(entry.second);
    for (std::size_t i = 0; i < count; ++i) {
        if (AtkObject* child = areaChild(accessible, static_cast<gint>(i))) {
            g_signal_emit_by_name(accessible, "children-changed::add", static_cast<guint>(i), child);
            g_object_unref(child);
        }
    }
}

} // namespace folio
