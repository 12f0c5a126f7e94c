// The main window's side of the script switches: a request that the script
// pipe's server took from this program run by the same user in the same
// session, served as the user's clicks would be, and the answer to a
// /Connect once the adapter has taken the profile.
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

Reply TFormMain::ServeScript(const Request& r, uint32_t conversation) {
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
  // Export and Import are not offered while Windows manages the adapter,
  // here as in the profile list and on the script's own path.
  if (files && adapter && adapter->UseWZC) return Failure(kExitManaged, kTextManaged);
  // Without an adapter there is no list to follow: the store is enough.
  if (files && (!adapter || !FrameProfile1->Adapter())) return RunHere(r, nullptr, false);
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
      if (!conversation) return Reply{kExitOk, ConnectingText(stored) + "\r\n", ""};
      waitingConnects_.push_back(
          {conversation, adapter, adapter->ConnectTicket(), stored, GetTickCount()});
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
  std::vector<std::pair<uint32_t, Reply>> answers;
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
    answers.emplace_back(it->Conversation, reply);
    it = waitingConnects_.erase(it);
  }
  if (waitingConnects_.empty() && ScriptTimer) ScriptTimer->SetEnabled(false);
  // Sent after the list is settled: a sender may ask again meanwhile.
  for (const auto& [conversation, reply] : answers) {
    LogWrite("Script /Connect served: %d", reply.Code);
    SendScriptReply(conversation, reply);
  }
}

void TFormMain::OpenScriptChannel(bool on) {
  if (on) {
    if (!ScriptTimer) {
      ScriptTimer = new TTimer(this, "TimerScript", kWaitingCheckMs);
      ScriptTimer->OnTimer = [this] { CheckWaitingConnects(); };
    }
    if (!scriptServer_ && Handle() && NotifyMsg)
      scriptServer_ =
          std::make_unique<CScriptServer>(OwnPipeName(), Handle(), NotifyMsg, kNotifyScript);
    return;
  }
  if (ScriptTimer) ScriptTimer->SetEnabled(false);
  std::vector<WaitingConnect> left;
  left.swap(waitingConnects_);
  for (const WaitingConnect& w : left) {
    const std::string text =
        "The utility closed before the adapter took profile '" + EscapeControls(w.Name) + "'.";
    SendScriptReply(w.Conversation, Failure(kExitNoAnswer, text));
  }
  // Bounded (kServerStopMs): a conversation still writing is left to end.
  if (scriptServer_) scriptServer_->Stop();
}

void TFormMain::SendScriptReply(uint32_t conversation, const Reply& reply) {
  if (scriptServer_ && conversation) scriptServer_->Answer(conversation, reply);
}

LRESULT TFormMain::ScriptCopyData(HWND sender, const COPYDATASTRUCT*) {
  // Any window may send this and name any sender: scripts ask through the
  // pipe, where the client can be told.
  DWORD pid = 0;
  if (sender && IsWindow(sender)) GetWindowThreadProcessId(sender, &pid);
  LogWrite("Script request by WM_COPYDATA ignored (sender window %p, process %lu)",
           static_cast<void*>(sender), static_cast<unsigned long>(pid));
  return 0;
}

void TFormMain::ServePipeRequest(uint32_t id) {
  Request request;
  // Anyone may post NotifyMsg: only an id the server holds is served, once.
  if (!scriptServer_ || !scriptServer_->Take(id, request)) return;
  Reply reply;
  try {
    reply = ServeScript(request, id);
  } catch (const std::exception& e) {
    LogWrite("Exception(TFormMain::ServePipeRequest): %s", e.what());
    reply = Failure(kExitFailed, std::string("The request failed: ") + e.what());
  }
  if (reply.Code == kReplyLater) {
    LogWrite("Script %s waits for the adapter", CommandName(request.Cmd));
    return;
  }
  LogWrite("Script %s served: %d", CommandName(request.Cmd), reply.Code);
  SendScriptReply(id, reply);
}
