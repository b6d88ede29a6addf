#pragma once

#include "platform/ui/Label.h"
#include "platform/ui/View.h"

#include <memory>
#include <string>

namespace folio {

class ImageView;

enum class TableViewCellStyle { Default, Value1, Value2, Subtitle };
enum class TableViewCellAccessoryType { None, DisclosureIndicator, DetailDisclosureButton, Checkmark, DetailButton };
enum class TableViewCellSelectionStyle { None, Blue, Gray, Default };

class TableViewCell : public View {
public:
    explicit TableViewCell(TableViewCellStyle style = TableViewCellStyle::Default, std::string reuseIdentifier = {});

    TableViewCellStyle style() const { return m_style; }
    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    // The text label always exists; the detail label only in the styles that show one.
    const std::shared_ptr<Label>& textLabel() const { return m_textLabel; }
    const std::shared_ptr<Label>& detailTextLabel() const { return m_detailTextLabel; }
    const std::shared_ptr<ImageView>& imageView() const { return m_imageView; }

    TableViewCellAccessoryType accessoryType() const { return m_accessoryType; }
    void setAccessoryType(TableViewCellAccessoryType type) { m_accessoryType = type; }
    const std::shared_ptr<View>& accessoryView() const { return m_accessoryView; }
    void setAccessoryView(std::shared_ptr<View> view) { m_accessoryView = std::move(view); }
    TableViewCellSelectionStyle selectionStyle() const { return m_selectionStyle; }
    void setSelectionStyle(TableViewCellSelectionStyle style) { m_selectionStyle = style; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

    // Clears what a row set before the cell is handed to another row.
    virtual void prepareForReuse();

private:
    TableViewCellStyle m_style;
    std::string m_reuseIdentifier;
    std::shared_ptr<Label> m_textLabel;
    std::shared_ptr<Label> m_detailTextLabel;
    std::shared_ptr<ImageView> m_imageView;
    TableViewCellAccessoryType m_accessoryType = TableViewCellAccessoryType::None;
    std::shared_ptr<View> m_accessoryView;
    TableViewCellSelectionStyle m_selectionStyle = TableViewCellSelectionStyle::Default;
    bool m_selected = false;
};

} // namespace folio
