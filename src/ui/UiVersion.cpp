// Placeholder so the widget library links before its first window exists.
namespace zorv_ui_detail {
int LinkAnchor() { return 0; }
} // namespace zorv_ui_detail
