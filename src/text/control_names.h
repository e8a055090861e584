// The names of the windows and of the controls the program reads or sets:
// the window tables and the code that uses a control share one spelling, so
// a name the tables lack is a compile error, not a control silently missed.
#pragma once

namespace hw {

// The main window.
inline constexpr char kForm1[] = "Form1";
inline constexpr char kLblSystem[] = "lbl_System";
inline constexpr char kLblIe[] = "lbl_IE";
inline constexpr char kLblUsername[] = "lbl_Username";
inline constexpr char kLblConn[] = "lbl_Conn";
inline constexpr char kLblNb[] = "lbl_NB";
inline constexpr char kTxtCn[] = "txt_CN";
inline constexpr char kTxtNb[] = "txt_NB";
inline constexpr char kTxtDns[] = "txt_DNS";
inline constexpr char kImgWarn[] = "img_Warn";
inline constexpr char kCmdSync[] = "cmd_Sync";
inline constexpr char kCboIp[] = "cbo_IP";

// The warning dialog of the quiet mode.
inline constexpr char kFrmInfo[] = "frm_Info";
inline constexpr char kInfoHeading[] = "Label1";
inline constexpr char kOkButton[] = "OKButton";
inline constexpr char kCancelButton[] = "CancelButton";

}  // namespace hw
