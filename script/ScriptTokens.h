// Token numbers of the script language. Statement handlers switch on them,
// and they appear in the trace, so each keeps its number for good.
#pragma once

#include <cstdint>

namespace tok {

enum : std::int32_t {
    End = 0,  // nothing left, or an unterminated quote

    // Operators and punctuation.
    Equal = 101,
    NotEqual = 102,
    Less = 103,
    LessEqual = 104,
    Greater = 105,
    GreaterEqual = 106,
    Not = 107,  // "!" and the keyword "not"
    Comma = 110,
    LeftParen = 111,
    RightParen = 112,
    Dollar = 113,  // a script function follows
    At = 115,      // a transfer offset follows

    Number = 300,       // a word made only of decimal digits
    SessionName = 400,  // "#" and a name
    String = 500,       // a quoted text, or a word that is no keyword

    // Keywords.
    Login = 600,
    Get = 601,
    Put = 602,
    Cd = 603,
    Cdup = 604,
    Dir = 605,
    Ls = 606,
    Ascii = 607,
    Binary = 608,
    Append = 609,
    Site = 610,
    Quote = 611,
    Restart = 612,
    GetAt = 613,
    PutAt = 614,
    AppendAt = 615,
    GateLogin = 616,
    MPut = 617,
    MGet = 618,
    Lcd = 619,
    Unique = 620,
    Passive = 621,
    Active = 622,
    StatusBox = 623,
    On = 624,
    Off = 625,
    Debug = 626,
    Quit = 627,
    Remote = 628,
    RemoteAppend = 629,
    RmDir = 630,
    Delete = 631,
    MkDir = 632,
    Rename = 634,
    Local = 635,
    Store = 636,
    Date = 637,
    Exists = 638,
    LocalPath = 639,
    FileSize = 640,
    DefaultTimeout = 641,
    ReceiveTimeout = 642,
    Ignore = 700,
    Echo = 701,
    LogFile = 702,
    If = 710,
    Else = 711,
    EndIf = 712,
    True = 713,
    False = 714,
    Today = 715,
    Now = 716,
    File = 717,
    Error = 718,
    Failed = 719,
    Completion = 720,
    Stop = 721,
    Sleep = 722,
    Retry = 723,
    Forever = 724,
    Continue = 725,
    All = 726,
    Exec = 727,  // the command-execution function; no keyword reaches it
    FileDate = 728,
    FileDateTime = 729,
    NumberFunction = 730,
    StringFunction = 731,
    Clear = 732,
    Pwd = 733,
    DataPort = 734,
    Secure = 735,
    Test = 800,
};

}  // namespace tok
