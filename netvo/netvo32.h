/* netvo32: the FTP client library under Tavo. Plain C interface.
 *
 * Conventions
 *  - A connection handle is an int greater than 0; handles are never reused
 *    within a process. A call with an unknown handle returns NETVO_E_BADHANDLE
 *    and touches nothing.
 *  - Calls that take a handle return 0 on success. A refusal by the server
 *    returns the server's reply code (e.g. 550, 530); a local failure returns
 *    one of the negative NETVO_E_* codes below. Exceptions never leave the
 *    library.
 *  - ftp_lasterror() gives the text of the last failure of the calling thread
 *    ("127.0.0.1:2121: RETR a.txt: 550 No such file"); ftp_copyreplystr() the
 *    last reply the server sent on a handle (multi-line replies whole, lines
 *    joined with "\r\n").
 *  - Sizes and offsets are 64-bit. Names are UTF-8 bytes, passed through;
 *    names containing CR or LF are refused with NETVO_E_BADARG.
 *  - Every connect, reply wait and data read/write is bounded by the receive
 *    timeout (ftp_setreceivetimeout, else netvo_setdefaulttimeout, default 60
 *    seconds) counted from the last sign of progress.
 *  - A server that keeps talking without ever answering is bounded too: a
 *    reply, once begun, must end within twice the receive timeout however
 *    steadily its bytes or lines come (else NETVO_E_TIMEOUT), and a command
 *    takes at most 16 preliminary (1xx) replies, the greeting at most 16
 *    "120" lines (else NETVO_E_PROTOCOL). Then the control connection is
 *    closed, as later replies could no longer be matched to commands
 *    (ftp_isconnected gives 0), and ftp_lasterror names the reason.
 *  - After a transfer that is abandoned (the wait hook, ftp_closeread before
 *    the end, a server-to-server copy one side refuses) the library sends
 *    ABOR and waits at most 2 seconds (at most the receive timeout) for each
 *    answer; servers that answer once or late keep their connection. When
 *    an answer may still be owed, the next command on the handle first
 *    sends NOOP and drops every reply before the NOOP's.
 *  - Passive mode ignores the host address in a PASV reply and connects to the
 *    control connection's peer (protects against PASV spoofing and broken
 *    NAT setups). Active mode accepts only a data connection from the control
 *    connection's peer.
 *  - A get opens (and truncates) the local file only after the server has
 *    agreed to send it (1xx reply), so a refused RETR never destroys a local
 *    file. A failed get leaves the partial file so that it can be resumed.
 *  - A file name that comes from the server (mget names, the default local
 *    name of a get) is only used as a last path component: nothing a server
 *    sends can make the library write outside the chosen local folder.
 */
#ifndef NETVO32_H
#define NETVO32_H

#if defined(NETVO32_BUILD)
#define NETVO_API __attribute__((visibility("default")))
#else
#define NETVO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. 0 is success; positive values are server reply codes. */
enum netvo_result {
    NETVO_OK = 0,
    NETVO_E_CONNECT = -2,      /* could not connect to the server */
    NETVO_E_RESOLVE = -3,      /* host name could not be resolved */
    NETVO_E_TIMEOUT = -4,      /* the server did not answer in time */
    NETVO_E_CLOSED = -5,       /* the connection was lost */
    NETVO_E_LOCALFILE = -6,    /* a local file or folder could not be used */
    NETVO_E_BADHANDLE = -7,    /* unknown connection handle */
    NETVO_E_ABORTED = -8,      /* aborted through the wait hook */
    NETVO_E_PROTOCOL = -9,     /* the server's reply made no sense */
    NETVO_E_BADARG = -10,      /* invalid argument (e.g. CR/LF in a name) */
    NETVO_E_NOTCONNECTED = -11,/* no control connection */
    NETVO_E_DATACONN = -12,    /* the data connection could not be set up */
    NETVO_E_REFUSED = -13,     /* the server refused the connection (421 ...) */
    NETVO_E_STATE = -14,       /* wrong state (stream open / none open) */
    NETVO_E_NOMATCH = -15,     /* no local file matched the pattern */
    NETVO_E_INTERNAL = -16,    /* out of memory or internal error */
    NETVO_E_TLS = -17,         /* TLS required but refused, or TLS failed */
    NETVO_E_CERTIFICATE = -18  /* the server's certificate was not trusted */
};

/* Text for a result code (also for server codes: "server reply 550"). */
NETVO_API const char* netvo_strerror(int code);
NETVO_API const char* netvo_version(void);

/* The wait hook is called at least every 100 ms while a call blocks (connect,
 * reply wait, transfer) and at most about every 50 ms during a fast transfer,
 * with the handle, the bytes done, the total (-1 when unknown) and the
 * handle's statusbox flag. A nonzero return aborts the call promptly
 * (NETVO_E_ABORTED); the handle stays usable. One hook per process; NULL
 * removes it. */
typedef int (*netvo_waithook)(int handle, long long done, long long total, int statusbox, void* context);
NETVO_API void netvo_setwaithook(netvo_waithook hook, void* context);

/* Sleeps for the given time while calling the wait hook as a blocking call
 * does (handle may be 0 when the pause belongs to no connection). Returns 0
 * after the full pause, NETVO_E_ABORTED as soon as the hook asks to abort.
 * Lets a caller's own waits (a pause between retries) be cancelled the same
 * way as the library's. */
NETVO_API int netvo_pause(int handle, int milliseconds);

/* Process-wide timeout in seconds (default 60); values <= 0 restore 60. */
NETVO_API void netvo_setdefaulttimeout(int seconds);

/* Forgets a handle entirely (closes its connection first). */
NETVO_API int netvo_release(int handle);

/* Connection. host: "name", "name:port", "[v6addr]:port" or a bare IPv6
 * address. Connects and reads the greeting; login is ftp_relogin. Returns a
 * handle > 0, or a negative result code. */
NETVO_API int ftp_open(const char* host);
NETVO_API int ftp_openport(const char* host, int port);
NETVO_API int ftp_lasterror(char* buf, int size);
NETVO_API int ftp_copyreplystr(int handle, char* buf, int size);
NETVO_API int ftp_relogin(int handle, const char* user, const char* password, const char* account);
NETVO_API int ftp_gatelogin(int handle, const char* host, const char* user, const char* password, const char* account);
NETVO_API int ftp_Logout(int handle);
NETVO_API int ftp_quit(int handle);
NETVO_API int ftp_isconnected(int handle);

/* Settings. */
NETVO_API int ftp_setascii(int handle);
NETVO_API int ftp_setbinary(int handle);
NETVO_API int ftp_SetPassive(int handle, int passive);
NETVO_API int ftp_SetDataPort(int handle, int port);
NETVO_API int ftp_setreceivetimeout(int handle, int seconds);
NETVO_API int ftp_statusbox(int handle, int on);
NETVO_API int ftp_SetLocalPath(int handle, const char* dir);
NETVO_API int ftp_ClearLocalPath(int handle);
NETVO_API int ftp_localunique(int handle);
NETVO_API int ftp_storeunique(int handle);

/* Remote folders and files. */
NETVO_API int ftp_cd(int handle, const char* dir);
NETVO_API int ftp_cdup(int handle);
NETVO_API int ftp_pwd(int handle, char* buf, int size);
NETVO_API int ftp_mkdir(int handle, const char* name);
NETVO_API int ftp_rmdir(int handle, const char* name);
NETVO_API int ftp_delete(int handle, const char* path);
NETVO_API int ftp_rename(int handle, const char* oldName, const char* newName);
NETVO_API int ftp_site(int handle, const char* text);
NETVO_API int ftp_noop(int handle);
/* Nonzero when the path exists (file or folder). */
NETVO_API int ftp_Exists(int handle, const char* path);
/* 0 for a positive reply (1xx-3xx), the reply code for a negative one. */
NETVO_API int ftp_quote(int handle, const char* command, char* buf, int size);

/* Transfers. */
NETVO_API int ftp_get(int handle, const char* remote, const char* local);
NETVO_API int ftp_put(int handle, const char* local, const char* remote);
NETVO_API int ftp_append(int handle, const char* local, const char* remote);
NETVO_API int ftp_RestartGet(int handle, const char* remote, const char* local);
NETVO_API int ftp_RestartPut(int handle, const char* local, const char* remote);
NETVO_API int ftp_RestartGetAt(int handle, const char* remote, const char* local, long long offset);
NETVO_API int ftp_RestartPutAt(int handle, const char* local, const char* remote, long long offset);
NETVO_API int ftp_RestartAppendAt(int handle, const char* local, const char* remote, long long offset);

/* Server to server. binary: nonzero for TYPE I on both servers. */
NETVO_API int ftp_RemotePut(int src, int dest, const char* source, const char* destName, int binary, int resume);
NETVO_API int ftp_RemoteAppend(int src, int dest, const char* source, const char* destName, int binary);
NETVO_API int ftp_RestartRemotePutAt(int src, int dest, const char* source, const char* destName, long long offset, int binary);
NETVO_API int ftp_RestartRemoteAppendAt(int src, int dest, const char* source, const char* destName, long long offset, int binary);

/* Listings into local files (LF line ends). A listing, here or through a
 * listing stream, that grows beyond 256 MiB fails with NETVO_E_PROTOCOL:
 * no real folder needs that much, and a server sending without end would
 * otherwise fill the disk or keep a script reading for ever. */
NETVO_API int ftp_dir(int handle, const char* remote, const char* localFile);
NETVO_API int ftp_ls(int handle, const char* remote, const char* localFile);
/* mget lists the pattern's folder (NLST) and matches the names itself, by
 * UTF-8 characters. A listing of more than 1,000,000 names or 64 MiB fails
 * with NETVO_E_PROTOCOL before any file is fetched. */
NETVO_API int ftp_mget(int handle, const char* pattern);
NETVO_API int ftp_mput(int handle, const char* pattern, int reserved);

/* Streams: one open stream per handle. Until it is closed, every call that
   talks to the server on that handle fails with NETVO_E_STATE (ftp_relogin,
   ftp_gatelogin, ftp_setascii and ftp_setbinary included; ftp_GetFileSize
   gives 0), and so does opening a second stream. The settings calls,
   ftp_isconnected (which then only looks) and ftp_copyreplystr work as
   usual; ftp_Logout, ftp_quit and netvo_release end the stream along with
   the connection. */
NETVO_API int ftp_openreadfordir(int handle, const char* remote);
NETVO_API int ftp_openreadforlist(int handle, const char* remote);
NETVO_API int ftp_openreadforget(int handle, const char* remote);
/* append: nonzero appends to the remote file (APPE) instead of STOR. */
NETVO_API int ftp_openwriteforput(int handle, const char* remote, int append);
/* Bytes read; 0 at the end; negative result code on failure. */
NETVO_API int ftp_readdata(int handle, void* buf, int size);
/* Bytes written (all of them); negative result code on failure. */
NETVO_API int ftp_writedata(int handle, const void* buf, int size);
NETVO_API int ftp_closeread(int handle);
NETVO_API int ftp_closewrite(int handle);

/* Queries. */
NETVO_API long long ftp_GetFileSize(int handle, const char* remote); /* 0 on failure */
/* Fills buf with YYYYMMDDhhmmss (needs 15 bytes); format is reserved. */
NETVO_API int ftp_GetFileDateTime(int handle, const char* remote, char* buf, int size, const char* format);

/* Security (FTP over TLS, OpenSSL). TLS 1.2 or newer on the control
 * connection and, with PROT P, on every data connection; a data connection
 * resumes the control connection's TLS session (servers may insist on it).
 *
 * The mode is chosen per handle before login:
 *  - NETVO_SECURE_NONE: plain FTP.
 *  - NETVO_SECURE_AUTO (the default of every handle): AUTH TLS; when the
 *    server refuses it (any reply but 234), the login goes on in clear
 *    text. Once the server has accepted it, a failed handshake or an
 *    untrusted certificate fails the login: there is no way back to clear
 *    text on that connection.
 *  - NETVO_SECURE_EXPLICIT: AUTH TLS, and the login fails with NETVO_E_TLS
 *    when the server refuses it.
 *  - NETVO_SECURE_IMPLICIT: TLS from the first byte (usually port 990);
 *    only through ftp_opensecure, as it must be known before the greeting.
 *
 * A certificate is accepted silently only when the system's CA store
 * verifies its chain and it names the host (DNS name or IP address). Else
 * it is accepted when "host:port fingerprint" is a line of the trusted file
 * ($XDG_CONFIG_HOME/Brenmar/trusted-certs, ~/.config when unset); else the
 * certificate hook decides; without a hook the login fails with
 * NETVO_E_CERTIFICATE and ftp_lasterror names the reason and the
 * fingerprint. A data connection must present the control connection's
 * certificate (else NETVO_E_TLS).
 *
 * A server-to-server copy between two handles that both protect their data
 * connections needs one server to be the TLS client of the connection
 * between them: the server that connects to the other's passive port is
 * asked "SSCN ON" first, the destination before the source, and only when
 * its FEAT lists SSCN. When neither agrees the copy fails with NETVO_E_TLS
 * before either server is told to transfer anything ("neither server
 * supports TLS-protected server-to-server copies (SSCN)"). "SSCN OFF"
 * follows the copy, whatever its outcome; a server that refuses it has its
 * connection closed, as it would break every later protected transfer on
 * the handle. Only one handle protecting its data is NETVO_E_TLS too:
 * protection is never lowered to make a copy possible. */
enum netvo_security {
    NETVO_SECURE_NONE = 0,
    NETVO_SECURE_AUTO = 1,
    NETVO_SECURE_EXPLICIT = 2,
    NETVO_SECURE_IMPLICIT = 3
};

/* Opens like ftp_openport with a security mode; port 0 means 21, or 990 for
 * NETVO_SECURE_IMPLICIT. Returns a handle > 0 or a negative result code. */
NETVO_API int ftp_opensecure(const char* host, int port, int security);
/* Sets the mode for the next login (NONE, AUTO or EXPLICIT; IMPLICIT and
 * changes after TLS has started fail with NETVO_E_STATE). */
NETVO_API int ftp_setsecurity(int handle, int security);
/* Runs the TLS negotiation of the handle's mode now (ftp_relogin does it
 * itself when it has not run): 0 when the connection is encrypted, or when
 * in AUTO mode the server offers no TLS (ftp_getsecurity then gives 0), so
 * that a caller can warn before a password goes out in clear text. */
NETVO_API int ftp_negotiatesecurity(int handle);
/* 0: plain; 1: control connection encrypted, data in clear (PROT C);
 * 2: control and data connections encrypted. Negative for a bad handle. */
NETVO_API int ftp_getsecurity(int handle);

/* What the certificate hook is shown. All texts are UTF-8, never NULL. */
typedef struct netvo_certinfo {
    const char* host;         /* as the user gave it */
    int port;
    int verified;             /* 1: chain verified by the CA store */
    int hostmatch;            /* 1: the certificate names the host */
    const char* reason;       /* why it is not trusted ("self-signed certificate") */
    const char* fingerprint;  /* SHA-256, "AB:CD:...", 95 characters */
    const char* subject;      /* one line, "CN=ftp.example.org, O=..." */
    const char* issuer;
    const char* notbefore;    /* "2026-12-09 10:00:00 UTC" */
    const char* notafter;
} netvo_certinfo;

enum netvo_certanswer {
    NETVO_CERT_REJECT = 0,
    NETVO_CERT_ACCEPT_ONCE = 1,   /* for this connection only */
    NETVO_CERT_ACCEPT_ALWAYS = 2  /* and adds it to the trusted file */
};
/* Called, on the thread of the login, for a certificate that is neither
 * verified nor in the trusted file. One hook per process; NULL removes it. */
typedef int (*netvo_certhook)(int handle, const netvo_certinfo* info, void* context);
NETVO_API void netvo_setcerthook(netvo_certhook hook, void* context);

/* Machine-readable listings (MLSD). ftp_hasmlsd: 1 when the server's FEAT
 * listed MLST (known after login), else 0. ftp_mlsd writes the MLSD lines
 * ("facts; name", LF line ends) into localFile, bounded like ftp_dir. */
NETVO_API int ftp_hasmlsd(int handle);
NETVO_API int ftp_mlsd(int handle, const char* remote, const char* localFile);

/* Local helpers (no handle). */
#define NETVO_FATTR_MISSING (-1)
#define NETVO_FATTR_SUBDIR 0x10
#define NETVO_FATTR_NORMAL 0x80
NETVO_API int ftp_lcd(const char* dir);
NETVO_API int f_getcwd(char* buf, int size);
NETVO_API int f_getfileattr(const char* path);
NETVO_API int f_fileattr_subdir(void);
NETVO_API int f_rename(const char* oldName, const char* newName);
NETVO_API int f_rmdir(const char* dir);
NETVO_API int f_deletefile(const char* path);

/* Network tools. Both fill buf with a NUL-terminated address and return 0,
 * or return a negative code and leave buf empty (an IPv6 address that does
 * not fit is a failure, never a truncated address). */
NETVO_API int f_GetMyIpAddress(char* buf, int size);
NETVO_API int f_GetIpAddress(const char* host, char* buf, int size);
/* Nonzero when the host answered an ICMP echo within the time, which bounds
 * the name lookup too. After a failure of f_GetIpAddress or f_QuickPing,
 * ftp_lasterror names the reason (unknown name, no answer, pings not
 * allowed for this user, ...). */
NETVO_API int f_QuickPing(const char* host, int milliseconds);

#ifdef __cplusplus
}
#endif

#endif
