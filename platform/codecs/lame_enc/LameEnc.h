/*
 * The MP3 encoder library liblame_enc.so: a C interface over libmp3lame that the programs load by
 * name from their folder, so that a missing encoder is a state they can report.
 *
 * One encoding is a stream: beInitStream takes a configuration record and opens a stream,
 * beEncodeChunk turns interleaved 16-bit samples into MP3 bytes, beDeinitStream flushes what the
 * encoder still holds (the end of the audio), beCloseStream frees the stream. Every call returns
 * LAME_ENC_OK (0) or one of the other LAME_ENC_ results. Streams are independent; one stream is
 * used by one thread at a time (calls on the same stream from two threads are serialised).
 */
#ifndef LAME_ENC_H
#define LAME_ENC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define LAME_ENC_EXPORT __attribute__((visibility("default")))
#else
#define LAME_ENC_EXPORT
#endif

#define LAME_ENC_FILE_NAME "liblame_enc.so"

/* Results. */
#define LAME_ENC_OK 0
#define LAME_ENC_BAD_RECORD 1     /* not a configuration record of this library: kind, version, size or reserved bytes */
#define LAME_ENC_UNSUPPORTED 2    /* a value of the record the encoder cannot honour (rate, bit rate, mode, ...) */
#define LAME_ENC_NO_MEMORY 3
#define LAME_ENC_BAD_STREAM 4     /* no open stream has this handle */
#define LAME_ENC_BAD_ARGUMENT 5   /* a null pointer, or more samples than one call may carry */
#define LAME_ENC_FINISHED 6       /* the stream was already flushed by beDeinitStream */
#define LAME_ENC_ENCODER_FAILED 7 /* libmp3lame reported an error while encoding */

/* The configuration record. */
#define LAME_ENC_CONFIG_KIND 256
#define LAME_ENC_CONFIG_VERSION 1
#define LAME_ENC_CONFIG_SIZE 331

/* mode */
#define LAME_ENC_MODE_STEREO 0
#define LAME_ENC_MODE_JOINT_STEREO 1
#define LAME_ENC_MODE_MONO 3

/* preset: how hard the encoder searches (its algorithm quality); the bit rate is set on its own. */
#define LAME_ENC_PRESET_DEFAULT (-1) /* libmp3lame's own default */
#define LAME_ENC_PRESET_NORMAL 0     /* quality 5 */
#define LAME_ENC_PRESET_LOW 1        /* quality 7: fastest */
#define LAME_ENC_PRESET_HIGH 2       /* quality 3: libmp3lame's own good-quality setting */

/* mpegVersion */
#define LAME_ENC_MPEG2 0
#define LAME_ENC_MPEG1 1

/*
 * 331 bytes, little-endian, packed. Every byte not named here is 0. Flags are 0 for false and any
 * other value (the callers pass -1) for true.
 *
 * sampleRate    the input's samples per second, 8,000 to 192,000
 * resampleRate  0: the output keeps the input's rate when that is an MP3 rate (8,000, 11,025,
 *               12,000, 16,000, 22,050, 24,000, 32,000, 44,100 or 48,000), else the encoder picks
 *               the nearest one; otherwise one of those rates
 * mode          stereo, joint stereo or mono; mono takes one input channel, the others two
 * bitRate       kbit/s; with VBR off the stream has exactly this rate, and a rate that the output's
 *               MPEG version does not have is refused (MPEG-1, 32-48 kHz: 32 to 320; MPEG-2,
 *               16-24 kHz: 8 to 160; MPEG-2.5, 8-12 kHz: 8 to 64); with VBR on, the lowest rate
 * maxBitRate    0, or kbit/s: with VBR on the highest rate (not below bitRate)
 * preset        one of LAME_ENC_PRESET_
 * mpegVersion   LAME_ENC_MPEG1 or LAME_ENC_MPEG2; the stream's version follows from its rate
 * psychoModel   0 (the encoder has one model)
 * emphasis      0 none, 1 50/15 microseconds, 3 CCITT J.17
 * privateFlag, crcFlag, copyrightFlag, originalFlag   the bits of every frame header
 * vbrHeaderFlag ignored: no VBR header frame is written, since no call could fill it in at the end
 * vbrFlag       variable bit rate
 * vbrQuality    0 (best) to 9, used with VBR on
 */
#pragma pack(push, 1)
typedef struct LameEncConfig {
    uint32_t configKind;    /* 0 */
    uint32_t structVersion; /* 4 */
    uint32_t structSize;    /* 8 */
    uint32_t sampleRate;    /* 12 */
    uint32_t resampleRate;  /* 16 */
    int32_t mode;           /* 20 */
    uint32_t bitRate;       /* 24 */
    uint32_t maxBitRate;    /* 28 */
    int32_t preset;         /* 32 */
    uint32_t mpegVersion;   /* 36 */
    uint32_t psychoModel;   /* 40 */
    uint32_t emphasis;      /* 44 */
    int32_t privateFlag;    /* 48 */
    int32_t crcFlag;        /* 52 */
    int32_t copyrightFlag;  /* 56 */
    int32_t originalFlag;   /* 60 */
    int32_t vbrHeaderFlag;  /* 64 */
    int32_t vbrFlag;        /* 68 */
    int32_t vbrQuality;     /* 72 */
    uint8_t reserved[255];  /* 76 */
} LameEncConfig;
#pragma pack(pop)

typedef uint32_t LameEncStream; /* 0 is never a stream */

/*
 * Opens a stream. samplesPerChunk: the number of 16-bit samples (all channels counted) one
 * beEncodeChunk call is sized for; a call may carry up to twice that many. bufferSize: the output
 * bytes that any one call can produce at most, beDeinitStream included.
 */
LAME_ENC_EXPORT uint32_t beInitStream(const LameEncConfig* config, uint32_t* samplesPerChunk, uint32_t* bufferSize,
                                      LameEncStream* stream);

/*
 * Encodes sampleCount interleaved 16-bit samples (all channels counted) into output, which holds
 * bufferSize bytes; *bytesWritten gets the number of bytes produced (often 0: the encoder collects
 * whole frames). A sample count that ends inside a frame keeps the rest for the next call.
 */
LAME_ENC_EXPORT uint32_t beEncodeChunk(LameEncStream stream, uint32_t sampleCount, const int16_t* samples,
                                       uint8_t* output, uint32_t* bytesWritten);

/* Ends the audio: the encoder's last frames go to output (bufferSize bytes). No samples after it. */
LAME_ENC_EXPORT uint32_t beDeinitStream(LameEncStream stream, uint8_t* output, uint32_t* bytesWritten);

/* Frees the stream, flushed or not. */
LAME_ENC_EXPORT uint32_t beCloseStream(LameEncStream stream);

typedef uint32_t (*LameEncInitStreamFn)(const LameEncConfig*, uint32_t*, uint32_t*, LameEncStream*);
typedef uint32_t (*LameEncEncodeChunkFn)(LameEncStream, uint32_t, const int16_t*, uint8_t*, uint32_t*);
typedef uint32_t (*LameEncDeinitStreamFn)(LameEncStream, uint8_t*, uint32_t*);
typedef uint32_t (*LameEncCloseStreamFn)(LameEncStream);

#ifdef __cplusplus
}
#endif

#endif
