#pragma once

#include "platform/ui/View.h"

#include <memory>
#include <optional>
#include <vector>

namespace folio {

// An editor's view on the desktop: one content view (the page) filling what
// the bars leave, bars stacked above it (a ruler, a banner) and below it (a
// key row, which a phone or tablet would show above its keyboard), and small
// views floating over the content at one of its corners or edges (page
// buttons, the exit button of a reading mode, divider lines). The floating
// views are shown by the same means as any view laid over a page: the
// presenter draws them above it, and the pointer reaches the page wherever
// none is. The bars keep their heights and take the container's width.
// Views added as plain subviews by others stay in the model but are not
// part of the layout.
class BarContainerView : public View {
public:
    enum class Edge { Top, Bottom };
    // Fill stretches a floating view across the content (a line drawn over
    // it), keeping the insets from both edges.
    enum class Alignment { Start, Center, End, Fill };
    // Where a floating view sits over the content: aligned on each axis,
    // kept `inset` points from the edge it is aligned to.
    struct Placement {
        Alignment horizontal = Alignment::End;
        Alignment vertical = Alignment::End;
        Size inset{};
    };
    struct Floating {
        std::shared_ptr<View> view;
        Placement placement;
    };

    explicit BarContainerView(Rect frame = {});

    void setFrame(const Rect& frame) override;

    const std::shared_ptr<View>& contentView() const { return m_content; }
    void setContentView(std::shared_ptr<View> content);

    // Top bars are listed from the top down, bottom bars from the content down.
    const std::vector<std::shared_ptr<View>>& bars(Edge edge) const { return edge == Edge::Top ? m_topBars : m_bottomBars; }
    void setBars(Edge edge, std::vector<std::shared_ptr<View>> bars);

    const std::vector<Floating>& floatingViews() const { return m_floating; }
    // Adding a view that already floats moves it to the new place.
    void addFloatingView(std::shared_ptr<View> view, Placement placement);
    void removeFloatingView(const View& view);

    // The content as a band of its own across the room the bars leave: `y`
    // points from the top of that room, `height` points high; the rest of
    // the room shows the container. None, the default, fills the room.
    struct Band {
        double y = 0;
        double height = 0;
    };
    const std::optional<Band>& contentBand() const { return m_contentBand; }
    void setContentBand(std::optional<Band> band);

    // The room the shown bars leave, where the content and the floating views go.
    Rect contentFrame() const;
    // Where a floating view stands in a room: the model's room here, the
    // room a window really gives on screen.
    static Rect floatingFrame(const Floating& floating, const Rect& room);

    // Lays the views out again and has the presenter show the bars as they
    // are now (after one was added, replaced, shown or hidden).
    void reloadBars();

protected:
    void layoutSubviews() override;

private:
    void adopt(const std::shared_ptr<View>& view);
    void release(const std::shared_ptr<View>& view);
    double barsHeight(Edge edge) const;

    std::shared_ptr<View> m_content;
    std::vector<std::shared_ptr<View>> m_topBars;
    std::vector<std::shared_ptr<View>> m_bottomBars;
    std::vector<Floating> m_floating;
    std::optional<Band> m_contentBand;
};

} // namespace folio
