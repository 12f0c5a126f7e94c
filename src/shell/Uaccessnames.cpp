#include "shell/Uaccessnames.h"

#include <oleacc.h>

#include <string>
#include <vector>

#include "config/Udefine.h"
#include "ui/Uaccessible.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

namespace accessnames {

namespace access = ui::access;

std::string Text(const char* key, const char* def) {
  return g_GlobalVar.StrFileRead("Accessible", key, def);
}

void InstallTexts() {
  access::Install();
  access::SetTextSource([](const char* key, const char* def) { return Text(key, def); });
}

std::string FillIn(const std::string& fmt, const std::string& first, const std::string& second) {
  std::string out;
  int used = 0;
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size() && (fmt[i + 1] == 'd' || fmt[i + 1] == 's')) {
      out += used == 0 ? first : used == 1 ? second : std::string();
      ++used;
      ++i;
      continue;
    }
    out += fmt[i];
  }
  return out;
}

void NameButton(TPicButton* button, const char* key, const char* def) {
  if (!button) return;
  access::TAccInfo info;
  info.Name = [key, def] { return Text(key, def); };
  access::Describe(button, std::move(info));
}

void DescribeLampRow(TImage* const* lamps, int count, const char* key, const char* def) {
  if (!lamps || count <= 0 || !lamps[0]) return;
  std::vector<TImage*> row(lamps, lamps + count);
  access::TAccInfo info;
  info.Role = ROLE_SYSTEM_INDICATOR;
  info.Name = [row, key, def] {
    int lit = 0;
    for (TImage* lamp : row) lit += lamp && lamp->Visible();
    return FillIn(Text(key, def), std::to_string(lit), std::to_string(row.size()));
  };
  info.Bounds = [row] {
    RECT all = row[0]->BoundsRect();
    for (TImage* lamp : row) {
      if (!lamp) continue;
      RECT r = lamp->BoundsRect();
      UnionRect(&all, &all, &r);
    }
    return all;
  };
  info.ShownWithParent = true;
  access::Describe(row[0], std::move(info));
  for (size_t i = 1; i < row.size(); ++i) {
    if (!row[i]) continue;
    access::TAccInfo member;
    member.Role = access::kHidden;
    member.NamedBy = row[0];
    access::Describe(row[i], std::move(member));
  }
}

void DescribeTrace(TPaintBox* box, const TEdit* rate, const char* key, const char* def) {
  if (!box || !rate) return;
  access::TAccInfo info;
  info.Role = ROLE_SYSTEM_CHART;
  info.Name = [rate, key, def] { return FillIn(Text(key, def), rate->Text()); };
  access::Describe(box, std::move(info));
}

void DescribeMessageIcon(TImage* icon, int iconFlags) {
  if (!icon) return;
  struct Entry {
    int flags;
    const char* key;
    const char* def;
  };
  static const Entry names[] = {{0x10, "IconHand", "Error"},
                                {0x20, "IconQuestion", "Question"},
                                {0x30, "IconExclamation", "Warning"},
                                {0x40, "IconAsterisk", "Information"}};
  for (const Entry& e : names) {
    if (e.flags != (iconFlags & 0xF0)) continue;
    access::TAccInfo info;
    info.Role = ROLE_SYSTEM_GRAPHIC;
    info.Name = [e] { return Text(e.key, e.def); };
    access::Describe(icon, std::move(info));
    return;
  }
  access::Hide(icon);
}

void DescribeDialog(TControl* form) {
  if (!form) return;
  access::TAccInfo info;
  info.Role = ROLE_SYSTEM_DIALOG;
  access::Describe(form, std::move(info));
}

void DescribePage(TControl* page, const TControl* tab) {
  if (!page || !tab) return;
  access::TAccInfo info;
  info.Role = ROLE_SYSTEM_PROPERTYPAGE;
  info.Name = [tab] { return access::NameOf(tab); };
  access::Describe(page, std::move(info));
}

}  // namespace accessnames
