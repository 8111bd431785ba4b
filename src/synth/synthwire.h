#pragma once

// How Velmora and its synthesizer, velmora-synth, talk: lines of text one way, PCM the other. The
// child renders with the SoundFont open as descriptor 3 and answers on its standard output.
//
//   child, once the SoundFont is loaded:  "ready\n", or "refused <why>\n" and it ends
//   Velmora, for each phrase:             "render <n>\n" then n lines "<key> <start ms> <length ms>\n"
//   child:                                "pcm <frames>\n" then frames x 2 channels of int16 samples
//
// The PCM is 44.1 kHz stereo, the phrase's length plus the piano's release, never more; Velmora
// refuses any other length, and a render that takes longer than a question can wait.
namespace velmora::synthwire {

inline constexpr int SampleRate = 44100;
inline constexpr int ReleaseMs = 600;  // the piano's decay after the last key is let go
inline constexpr int MaxNotes = 64;
inline constexpr int MaxPhraseMs = 20000;
inline constexpr int SoundFontFd = 3;
inline constexpr int LoadCpuSeconds = 2;
inline constexpr unsigned long long AddressSpace = 512ULL << 20;

inline constexpr int framesFor(int phraseMs)
{
    return (phraseMs + ReleaseMs) * (SampleRate / 1000) + (phraseMs + ReleaseMs) * (SampleRate % 1000) / 1000;
}

} // namespace velmora::synthwire
