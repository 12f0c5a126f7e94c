// The main window's side of the script switches: a request from another
// process of the same user and session, served as the user's clicks would
// be, and the answer to a /Connect once the adapter has taken the profile.
#include <shlwapi.h>

#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "app/Uscriptrun.h"
#include "config/Uunicode.h"
#include "pages/station/Uframeprofile.h"
#include "pages/wizard/Uframeprofset.h"
#include "shell/Uformmain.h"

using namespace script;

namespace {

constexpr UINT kWaitingCheckMs = 100;

}  // namespace

bool TFormMain::EditingProfile() const {
  // A wizard not built yet is not open either; asking must not build it.
  const TFrameProfSet* wizard = FrameProfile1 ? FrameProfile1->BuiltWizard() : nullptr;
  if (wizard && wizard->Visible()) return true;
  // The about box asks nothing; any other modal window of ours does.
  const size_t modal = TFormBase::ModalForms().size();
  return modal > (AboutOpen() ? 1u : 0u) || TFormBase::SystemDialogs() > 0;
}

Reply TFormMain::ServeScript(const Request& r, HWND sender) {
  // Nothing here runs a message loop: the window cannot go meanwhile.
  LogWrite("TFormMain::ServeScript %s", CommandName(r.Cmd));
  if (Closing()) return Failure(kExitNoAnswer, "The utility is closing.");
  const bool files = r.Cmd == Command::Export || r.Cmd == Command::Import;
  if (files) {
    // The sender makes names whole in its own folder; a relative one here
    // would mean this program's folder.
    if (PathIsRelativeW(Wide(r.File).c_str()))
      return Failure(kExitUsage,
                     "The file name " + EscapeControls(r.File) + " is not a full path.");
    Reply checked = CheckFile(r);
    if (checked.Code != kExitOk) return checked;
  }
  CNICAdapter* adapter = releasing_ ? nullptr : adapter_;
  // Without an adapter there is no list to follow: the store is enough.
  if (files && (!adapter || !FrameProfile1->Adapter())) return RunHere(r);
  if (!adapter) return Failure(kExitNoAdapter, kTextNoAdapter);

  if (r.Cmd == Command::Status) {
    WLProfile applied{};
    const bool have = adapter->GetAppliedProf(applied);
    return Reply{kExitOk, FormatStatus(StatusOf(*adapter, have ? ProfileNameText(applied) : "")),
                 ""};
  }
  if (adapter->UseWZC) return Failure(kExitManaged, kTextManaged);
  // What the user is typing in the wizard must not be overtaken.
  if ((r.Cmd == Command::Connect || r.Cmd == Command::Import) && EditingProfile())
    return Failure(kExitBusy, kTextBusy);

  switch (r.Cmd) {
    case Command::Connect: {
      std::vector<WLProfile> list;
      adapter->GetProfileList(kStationList, list);
      std::vector<std::string> names;
      for (const WLProfile& p : list) names.push_back(ProfileNameText(p));
      const int found = MatchName(names, r.Name);
      const uint32_t before = adapter->ConnectTicket();
      // No new ticket: nothing was handed to the adapter, and an earlier
      // connection's outcome must not pass for this one.
      if (found < 0 || !FrameProfile1->ActivateProfile(names[found]) ||
          adapter->ConnectTicket() == before)
        return Failure(kExitNoProfile, NoProfileText(r.Name));
      const std::string& stored = names[found];
      if (!sender) return Reply{kExitOk, ConnectingText(stored) + "\r\n", ""};
      waitingConnects_.push_back(
          {sender, adapter, adapter->ConnectTicket(), stored, GetTickCount()});
      if (ScriptTimer) ScriptTimer->SetEnabled(true);
      return Reply{kReplyLater, "", ""};
    }
    case Command::Disconnect:
      adapter->Disconnect();
      return Reply{kExitOk, "Disconnecting.\r\n", ""};
    case Command::Export: {
      const int n = FrameProfile1->ExportFile(r.Name, r.File);
      if (n < 0) return Failure(kExitNoProfile, NoProfileText(r.Name));
      if (n == 0) return Failure(kExitFailed, EscapeControls(r.File) + " could not be written.");
      return Reply{kExitOk, ExportedText(n, r.File) + "\r\n", ""};
    }
    case Command::Import: {
      int refused = 0;
      const int n = FrameProfile1->ImportFile(r.File, &refused);
      if (n <= 0) return Failure(kExitFailed, NotExportText(r.File));
      if (refused > 0) return Failure(kExitFailed, ImportPartlyText(n, refused, r.File));
      return Reply{kExitOk, ImportedText(n, r.File) + "\r\n", ""};
    }
    default:
      return Failure(kExitUsage, "Unknown request.");
  }
}

void TFormMain::CheckWaitingConnects() {
  CNICAdapter* adapter = releasing_ ? nullptr : adapter_;
  std::vector<std::pair<HWND, Reply>> answers;
  for (auto it = waitingConnects_.begin(); it != waitingConnects_.end();) {
    const std::string& name = it->Name;
    Reply reply;
    const int32_t outcome =
        adapter == it->Adapter ? adapter->ApplyOutcome(it->Ticket) : CNICAdapter::kApplyAborted;
    if (outcome == CNICAdapter::kApplyWaiting) {
      if (GetTickCount() - it->Since < kConnectWaitMs) {
        ++it;
        continue;
      }
      reply = Failure(kExitFailed, "The adapter did not take profile '" + EscapeControls(name) +
                                       "' within " + std::to_string(kConnectWaitMs / 1000) +
                                       " seconds.");
    } else if (outcome == 1) {
      reply = Reply{kExitOk, ConnectingText(name) + "\r\n", ""};
    } else if (outcome == CNICAdapter::kApplyReplaced) {
      reply = Failure(kExitFailed, "Another connection replaced profile '" + EscapeControls(name) +
                                       "' before it was applied.");
    } else if (outcome == CNICAdapter::kApplyAborted) {
      reply = Failure(kExitNoAdapter, "The adapter went away before it took profile '" +
                                          EscapeControls(name) + "'.");
    } else {
      reply = Failure(kExitFailed, RefusedText(name));
    }
    answers.emplace_back(it->Sender, reply);
    it = waitingConnects_.erase(it);
  }
  if (waitingConnects_.empty() && ScriptTimer) ScriptTimer->SetEnabled(false);
  // Sent after the list is settled: a sender may ask again meanwhile.
  for (const auto& [sender, reply] : answers) {
    LogWrite("Script /Connect served: %d", reply.Code);
    SendScriptReply(sender, reply);
  }
}

void TFormMain::MarkScriptTarget(bool on) {
  const std::wstring property = Wide(InstanceProperty(g_GlobalVar.ProfRoot));
  if (on) {
    if (!ScriptTimer) {
      ScriptTimer = new TTimer(this, "TimerScript", kWaitingCheckMs);
      ScriptTimer->OnTimer = [this] { CheckWaitingConnects(); };
    }
    if (Handle())
      SetPropW(Handle(), property.c_str(), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
    return;
  }
  if (Handle()) RemovePropW(Handle(), property.c_str());
  if (ScriptTimer) ScriptTimer->SetEnabled(false);
  std::vector<WaitingConnect> left;
  left.swap(waitingConnects_);
  for (const WaitingConnect& w : left) {
    const std::string text =
        "The utility closed before the adapter took profile '" + EscapeControls(w.Name) + "'.";
    SendScriptReply(w.Sender, Failure(kExitNoAnswer, text));
  }
}

void TFormMain::SendScriptReply(HWND sender, const Reply& reply) {
  if (!sender || !IsWindow(sender)) return;
  const std::string text = EncodeReply(reply);
  COPYDATASTRUCT cds{kReplyTag, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(sender, WM_COPYDATA, reinterpret_cast<WPARAM>(Handle()),
                      reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000, &ignored);
}

LRESULT TFormMain::ScriptCopyData(HWND sender, const COPYDATASTRUCT* data) {
  // Only this user's programs in this session may ask: an export holds
  // every secret of the store.
  std::string why;
  if (!SameUserAndSession(sender, why)) {
    LogWrite("Script request refused: %s", why.c_str());
    return 0;
  }
  Request request;
  Reply reply;
  // A well-formed request only.
  if (DecodeRequest(data->lpData, data->cbData, request)) {
    try {
      reply = ServeScript(request, sender);
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::ScriptCopyData): %s", e.what());
      reply = Failure(kExitFailed, std::string("The request failed: ") + e.what());
    }
  } else {
    reply = Failure(kExitUsage, "The request could not be read.");
  }
  if (reply.Code == kReplyLater) {
    LogWrite("Script %s waits for the adapter", CommandName(request.Cmd));
    return kReplyFollows;
  }
  LogWrite("Script %s served: %d", CommandName(request.Cmd), reply.Code);
  SendScriptReply(sender, reply);
  return kServedMark | (reply.Code & 0xFF);
}
