#include "menus.h"

#include "uiimage.h"

namespace zkui {

namespace {

void addItems(wxMenu* menuP, const std::vector<MenuItem>& items);

wxMenu* makeMenu(const std::vector<MenuItem>& items) {
  auto* menuP = new wxMenu();
  addItems(menuP, items);
  return menuP;
}

void addItems(wxMenu* menuP, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    wxString text = wxString::FromUTF8(item.text);
    if (item.kind == MenuItem::Kind::Separator) {
      menuP->AppendSeparator();
    } else if (item.kind == MenuItem::Kind::Popup) {
      menuP->AppendSubMenu(makeMenu(item.children), text);
    } else {
      wxMenuItem* made =
          menuP->Append(menuItemId(item.id), text, wxString(),
                        item.checked || item.checkable ? wxITEM_CHECK : wxITEM_NORMAL);
      if (item.checked) made->Check(true);
      if (item.disabled) made->Enable(false);
    }
  }
}

}  // namespace

int menuItemId(int commandId) {
  return commandId >= 0x7FFF && commandId <= 0xFFFF ? commandId - 0x10000 : commandId;
}

int menuCommandId(int itemId) {
  return itemId < -1 && itemId >= -0x8000 ? itemId + 0x10000 : itemId;
}

wxMenuBar* makeMenuBar(const ResourceBundle& bundle, int menuId) {
  const MenuTemplate* t = bundle.menu(menuId);
  if (!t) return nullptr;
  auto* barP = new wxMenuBar();
  for (const MenuItem& item : t->items) {
    barP->Append(makeMenu(item.children), wxString::FromUTF8(item.text));
  }
  return barP;
}

wxMenu* makePopupMenu(const ResourceBundle& bundle, int menuId) {
  const MenuTemplate* t = bundle.menu(menuId);
  if (!t) return nullptr;
  bool onlyPopups = !t->items.empty();
  for (const MenuItem& item : t->items) onlyPopups &= item.kind == MenuItem::Kind::Popup;
  return makeMenu(onlyPopups ? t->items[0].children : t->items);
}

wxToolBar* makeToolBar(wxFrame* frameP, const ResourceBundle& bundle, int toolbarId) {
  const ToolbarTemplate* t = bundle.toolbar(toolbarId);
  if (!t) return nullptr;
  wxToolBar* barP = frameP->CreateToolBar();
  std::vector<wxBitmap> pictures = stripPictures(bundle, t->imageId, t->buttonWidth);
  size_t picture = 0;
  for (int id : t->buttons) {
    if (id == 0) {
      barP->AddSeparator();
      continue;
    }
    bool fits = picture < pictures.size();
    barP->AddTool(id, wxString(),
                  fits ? pictures[picture] : wxBitmap(t->buttonWidth, t->buttonWidth));
    ++picture;
  }
  barP->Realize();
  return barP;
}

namespace {
PopupMenuHook gPopupHook;
}

PopupMenuHook setPopupMenuHook(PopupMenuHook hook) {
  std::swap(gPopupHook, hook);
  return hook;
}

int trackPopupMenu(wxWindow* ownerP, wxMenu& menu, const wxPoint& screenPt) {
  int id = 0;
  if (gPopupHook) {
    id = gPopupHook(menu);
    wxMenuItem* item = id > 0 ? menu.FindItem(menuItemId(id)) : nullptr;
    if (!item || !item->IsEnabled() || item->IsSubMenu()) id = 0;
  } else {
    int itemId = ownerP->GetPopupMenuSelectionFromUser(menu, ownerP->ScreenToClient(screenPt));
    id = itemId == wxID_NONE ? 0 : menuCommandId(itemId);
  }
  if (id <= 0) return 0;
  wxCommandEvent e(wxEVT_MENU, menuItemId(id));
  e.SetEventObject(ownerP);
  ownerP->GetEventHandler()->ProcessEvent(e);
  return id;
}

}  // namespace zkui
