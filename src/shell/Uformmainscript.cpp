// The main window's side of the script switches: a request from another
// process, served as the user's clicks would be.
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "app/Uscriptrun.h"
#include "pages/station/Uframeprofile.h"
#include "shell/Uformmain.h"

using namespace script;

Reply TFormMain::ServeScript(const Request& r) {
  // Nothing here runs a message loop: the window cannot go meanwhile.
  LogWrite("TFormMain::ServeScript %s", CommandName(r.Cmd));
  if (Closing()) return Failure(kExitNoAnswer, "The utility is closing.");
  const bool files = r.Cmd == Command::Export || r.Cmd == Command::Import;
  if (files) {
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
    return Reply{kExitOk,
                 FormatStatus(StatusOf(*adapter, have ? FieldText(applied.ProfileName) : "")), ""};
  }
  if (adapter->UseWZC) return Failure(kExitManaged, kTextManaged);

  switch (r.Cmd) {
    case Command::Connect:
      if (!FrameProfile1->ActivateProfile(r.Name))
        return Failure(kExitNoProfile, NoProfileText(r.Name));
      return Reply{kExitOk, "Connecting with profile '" + r.Name + "'.\r\n", ""};
    case Command::Disconnect:
      adapter->Disconnect();
      return Reply{kExitOk, "Disconnecting.\r\n", ""};
    case Command::Export: {
      const int n = FrameProfile1->ExportFile(r.Name, r.File);
      if (n < 0) return Failure(kExitNoProfile, NoProfileText(r.Name));
      if (n == 0) return Failure(kExitFailed, r.File + " could not be written.");
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

LRESULT TFormMain::ScriptCopyData(HWND sender, const COPYDATASTRUCT* data) {
  Request request;
  Reply reply;
  // Anyone may send this message: only a well-formed request is served.
  if (DecodeRequest(data->lpData, data->cbData, request)) {
    try {
      reply = ServeScript(request);
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::ScriptCopyData): %s", e.what());
      reply = Failure(kExitFailed, std::string("The request failed: ") + e.what());
    }
  } else {
    reply = Failure(kExitUsage, "The request could not be read.");
  }
  LogWrite("Script %s served: %d", CommandName(request.Cmd), reply.Code);
  if (sender && IsWindow(sender)) {
    const std::string text = EncodeReply(reply);
    COPYDATASTRUCT cds{kReplyTag, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(sender, WM_COPYDATA, reinterpret_cast<WPARAM>(Handle()),
                        reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000, &ignored);
  }
  return kServedMark | (reply.Code & 0xFF);
}
