/*
 * zelcomm: device access library for the ZEL-8 gauging unit.
 *
 * The library keeps one process-wide session with the unit's kernel driver. Each export below
 * (other than the session and flag calls) is one request frame to the driver: the library packs
 * the arguments into its request area, makes one driver call, and reads the unit's status byte
 * and response data from its response area. The library allocates nothing; it has no locks, so
 * callers use it from one thread at a time.
 *
 * Calling convention: every export is declared with ZELAPI (__stdcall on 32-bit Windows, the
 * platform default elsewhere) and is exported under its plain, undecorated name. Every number
 * argument is a 32-bit value; 16-bit Integers are widened by the caller.
 *
 * Status results of the request calls:
 *   0                      success
 *   1 .. 254               the unit's error code (see ZEL_STATUS_* below); shown in a message
 *                          box when the error-box flag is set (ZelMsgBox)
 *   ZEL_NOT_COMMUNICATING  the unit answered 255 ("ZEL-8 not communicating"); the session is
 *                          now in demonstration mode
 *   ZEL_REFUSED_TOO_LONG   the arguments do not fit the one-byte payload length or the response
 *                          area; nothing was sent and nothing written (see each call)
 *   ZEL_REFUSED_NULL       a required input pointer was NULL; nothing was sent
 *
 * Demonstration mode: the session starts in it and enters it whenever a driver call fails or
 * the unit answers 255. In it the library answers every request itself (status 0, zeros, and
 * the formula "T1"), until the next ZelCommInit or ZelCommInitEx. A failed driver call returns
 * 0 with that answer; an answer of 255 returns ZEL_NOT_COMMUNICATING. Both show the box
 * "ZEL-8 not communicating -- Entering DEMO mode" whatever the error-box flag says.
 *
 * Outputs: "copied on success" outputs are written only when the status is 0; "always copied"
 * outputs are written whatever the status. A NULL output pointer is never written. Pointers the
 * library hands out point into its response area and stay valid until the next request.
 *
 * Messages: the library never shows anything by itself; every message goes to the hook set with
 * ZelSetMessageHook, or to the platform default (standard error; a message box on Windows).
 */
#ifndef ZELCOMM_H
#define ZELCOMM_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define ZELAPI __stdcall
#else
#define ZELAPI
#endif

#if defined(_WIN32)
#if defined(ZELCOMM_BUILDING)
#define ZEL_EXPORT __declspec(dllexport)
#else
#define ZEL_EXPORT
#endif
#else
#define ZEL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results beyond the unit's own codes. */
#define ZEL_OK 0
#define ZEL_NOT_COMMUNICATING (-1)
#define ZEL_REFUSED_TOO_LONG (-2)
#define ZEL_REFUSED_NULL (-3)

/* The unit's error codes that have their own message text; every other code 1..254 is shown
 * as "Unknown error:XXXXXXXX". */
#define ZEL_STATUS_BAD_CHANNEL 10 /* "Bad channel number" */
#define ZEL_STATUS_BAD_FORMULA 12 /* "Bad formula" (also 13, 16, 22) */
#define ZEL_STATUS_TABLE_FULL 14  /* "Table full" */
#define ZEL_STATUS_BAD_PROBE 15   /* "Bad probe number" */
#define ZEL_STATUS_BAD_NUMBER 17  /* "Bad number in formula" */
#define ZEL_STATUS_BAD_SYMBOL 18  /* "Bad symbol" */
#define ZEL_STATUS_TOO_COMPLEX 19 /* "Formula too complex" */
#define ZEL_STATUS_CIRCULAR 20    /* "Circular channel definition" */
#define ZEL_STATUS_MEMORY_FULL 21 /* "Memory full" */
#define ZEL_STATUS_BAD_SET 23     /* "Bad set in GOR or LOR function" */
#define ZEL_STATUS_NOT_COMMUNICATING 255

/* Style of every message: exclamation icon, task-modal (MessageBoxA flags). */
#define ZEL_MESSAGE_STYLE 0x2030u

/* ---- Session (one per process) ---------------------------------------------------------- */

/* Closes any open session, leaves demonstration mode and looks for the unit on ports 1, 2 and
 * 3 in that order. Returns 0 when found (that port becomes the current port), 1 when not (the
 * next request then fails and enters demonstration mode). With the verbose flag set
 * (EppInstallMsg) it reports the Windows version and every port it tries. */
ZEL_EXPORT int32_t ZELAPI ZelCommInit(int32_t unused);

/* Leaves demonstration mode without closing an open session. port 1..3: opens that port
 * (an open session is kept) and probes it; returns 1 when the port does not open, else the
 * probe's result (a session whose probe failed stays open); the current port is not changed.
 * port 0: scans ports 1..3 like ZelCommInit, without messages. */
ZEL_EXPORT int32_t ZELAPI ZelCommInitEx(int32_t port, int32_t unused);

/* Opens the current port (0 = none found yet: fails). 0 opened or already open, 1 failed. */
ZEL_EXPORT int32_t ZELAPI ZelOpen(void);
/* Opens port 1..3. 0 opened or already open (whatever port is asked for), 1 failed. */
ZEL_EXPORT int32_t ZELAPI ZelOpenEx(int32_t port, int32_t unused);
/* Closes the session. 0 closed or was not open, 1 the close failed (nothing changes). */
ZEL_EXPORT int32_t ZELAPI ZelClose(void);
ZEL_EXPORT int32_t ZELAPI ZelCloseEx(int32_t unused1, int32_t unused2);

/* Error-box flag: nonzero shows the unit's error codes in message boxes (default on). */
ZEL_EXPORT void ZELAPI ZelMsgBox(int32_t flag);
/* Sets the verbose flag (diagnostics during ZelCommInit); returns the previous value. */
ZEL_EXPORT int32_t ZELAPI EppInstallMsg(int32_t flag);
/* Sets the diagnostic flag; returns the previous value. Nothing else reads it. */
ZEL_EXPORT int32_t ZELAPI EppDiagMsg(int32_t flag);
/* 1 while requests are answered by the library itself (demonstration mode: before the first
 * initialisation, and from a failed request or status 255 until the next one), else 0. A
 * program calls it after its requests to learn that their answers were not measured. */
ZEL_EXPORT int32_t ZELAPI ZelIsDemo(void);
/* The port (1..3) on which the last successful ZelCommInit, or ZelCommInitEx scan, found the
 * unit; ZelOpen opens it. 0 before any unit was found. Reaches no driver. */
ZEL_EXPORT int32_t ZELAPI ZelGetPort(void);
/* Stores 0 into *version (when not NULL) and returns 0. */
ZEL_EXPORT int32_t ZELAPI GetZelVersion(int16_t *version);
/* Returns 769 (0x0301). */
ZEL_EXPORT int32_t ZELAPI ZelDLL(void);

/* ---- Requests ----------------------------------------------------------------------------- */

/* Request 1. *data (always set, when data is not NULL) points to the response data. */
ZEL_EXPORT int32_t ZELAPI ZelMemory(int32_t first, int32_t second, uint8_t **data);
/* Request 2 with count list bytes as payload. *data is always set to the response data.
 * count outside 0..255, or a NULL list with count > 0: refused. */
ZEL_EXPORT int32_t ZELAPI ZelReadDirect(int32_t count, const uint8_t *list, uint8_t **data);
/* Request 2; 2 x count bytes of response data are always copied to destination, which must
 * hold them. count outside 0..128, or a NULL list with count > 0: refused. */
ZEL_EXPORT int32_t ZELAPI ZelReadDirectCopy(int32_t count, const uint8_t *list, void *destination);

/* Request 3: defines a channel by its formula (8-bit text). An empty text, or NULL, clears the
 * channel instead (request 6). A text longer than 253 characters is refused
 * (ZEL_REFUSED_TOO_LONG, reported as "Formula too long" when the error-box flag is set). */
ZEL_EXPORT int32_t ZELAPI ZelDefineChannel(int32_t channel, const char *formula);
/* Request 4. *value copied on success. */
ZEL_EXPORT int32_t ZELAPI ZelReadChannel(int32_t channel, float *value);
ZEL_EXPORT int32_t ZELAPI ZelClearAllChannels(void);        /* request 5 */
ZEL_EXPORT int32_t ZELAPI ZelClearChannel(int32_t channel); /* request 6 */
ZEL_EXPORT int32_t ZELAPI ZelStartScan(void);               /* request 7 */
ZEL_EXPORT int32_t ZELAPI ZelStopScan(void);                /* request 8 */
ZEL_EXPORT int32_t ZELAPI ZelResetMM(void);                 /* request 9: reset max and min */
/* Request 10: scan period in tenths of a millisecond (low 16 bits). */
ZEL_EXPORT int32_t ZELAPI ZelSetScanTime(int32_t time);

/* Requests 11 and 12. *value copied on success. */
ZEL_EXPORT int32_t ZELAPI ZelReadLvdt(int32_t probe, float *value);
ZEL_EXPORT int32_t ZELAPI ZelReadAnalog(int32_t input, float *value);
/* Request 13. *text set on success to the zero-ended formula in the response area. */
ZEL_EXPORT int32_t ZELAPI ZelReadFormula(int32_t channel, char **text);

/* Set calls send *value (a NULL value is refused); read calls copy to *value on success. */
ZEL_EXPORT int32_t ZELAPI ZelSetTfsv(int32_t probe, float *value);  /* request 21 */
ZEL_EXPORT int32_t ZELAPI ZelReadTfsv(int32_t probe, float *value); /* request 22 */
ZEL_EXPORT int32_t ZELAPI ZelSetAfsv(int32_t input, float *value);  /* request 23 */
ZEL_EXPORT int32_t ZELAPI ZelReadAfsv(int32_t input, float *value); /* request 24 */

/* Request 25: coarse gain and Ri, the low byte of each. */
ZEL_EXPORT int32_t ZELAPI ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri);
/* Request 26: *coarse and *ri always copied. */
ZEL_EXPORT int32_t ZELAPI ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri);
ZEL_EXPORT int32_t ZELAPI ZelSetLvdtFine(int32_t probe, int32_t fine);   /* request 27 */
ZEL_EXPORT int32_t ZELAPI ZelReadLvdtFine(int32_t probe, int16_t *fine); /* 28, always copied */
ZEL_EXPORT int32_t ZELAPI ZelSetTzero(int32_t probe, float *value);      /* request 32 */
ZEL_EXPORT int32_t ZELAPI ZelReadTzero(int32_t probe, float *value);     /* request 33 */
ZEL_EXPORT int32_t ZELAPI ZelSetLvdtNull(int32_t probe, int32_t null);   /* request 34 */
ZEL_EXPORT int32_t ZELAPI ZelReadLvdtNull(int32_t probe, int16_t *null); /* 35, always copied */
ZEL_EXPORT int32_t ZELAPI ZelSetAzero(int32_t input, float *value);      /* request 42 */
ZEL_EXPORT int32_t ZELAPI ZelReadAzero(int32_t input, float *value);     /* request 43 */
ZEL_EXPORT int32_t ZELAPI ZelSetCzero(int32_t channel, float *value);    /* request 52 */
ZEL_EXPORT int32_t ZELAPI ZelReadCzero(int32_t channel, float *value);   /* request 53 */
ZEL_EXPORT int32_t ZELAPI ZelSetCscale(int32_t channel, float *value);   /* request 54 */
ZEL_EXPORT int32_t ZELAPI ZelReadCscale(int32_t channel, float *value);  /* request 55 */

/* Unit settings whose meaning lies in the unit. Get calls always copy, zero-extended. */
ZEL_EXPORT int32_t ZELAPI ZelSetFpIn(int32_t value);    /* request 80, low byte */
ZEL_EXPORT int32_t ZELAPI ZelSetFpOut(int32_t value);   /* request 81, low byte */
ZEL_EXPORT int32_t ZELAPI ZelSetFpPrec(int32_t value);  /* request 83, low byte */
ZEL_EXPORT int32_t ZELAPI ZelSet_muxTime(int32_t time); /* request 82, low 16 bits */
ZEL_EXPORT int32_t ZELAPI ZelGetFpIn(int16_t *value);   /* request 84 */
ZEL_EXPORT int32_t ZELAPI ZelGetFpOut(int16_t *value);  /* request 85 */
ZEL_EXPORT int32_t ZELAPI ZelGetFpPrec(int16_t *value); /* request 87 */

ZEL_EXPORT int32_t ZELAPI ZelSetAdcAvg(int32_t count); /* request 90: burst average */
ZEL_EXPORT int32_t ZELAPI ZelSetRunAvg(int32_t count); /* request 91: running average */
/* Request 92: starts storing the amplifier calibration; *result always copied (0 started). */
ZEL_EXPORT int32_t ZELAPI ZelSaveCalibration(int16_t *result);
/* Request 93: *done and *error always copied. */
ZEL_EXPORT int32_t ZELAPI ZelGetSaveStatus(int16_t *done, int16_t *error);

/* ---- Messages ----------------------------------------------------------------------------- */

/* Receives every message of the library: its text, its caption (NULL where the message has no
 * caption of its own) and its MessageBoxA style (ZEL_MESSAGE_STYLE). The strings are valid
 * only during the call. */
typedef void(ZELAPI *ZelMessageHook)(const char *text, const char *caption, uint32_t style);
/* Installs the hook; NULL restores the platform default. */
ZEL_EXPORT void ZELAPI ZelSetMessageHook(ZelMessageHook hook);

#ifdef __cplusplus
}
#endif

#endif /* ZELCOMM_H */
