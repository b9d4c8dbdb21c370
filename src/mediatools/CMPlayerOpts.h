#pragma once
// Command line of mplayer (FindMPlayer: the mplayer tool folder, else PATH).

#include "mediatools/CCmdOpts.h"

class CMPlayerOpts : public CCmdOpts {
  public:
    // An empty path means the mplayer that FindMPlayer names.
    explicit CMPlayerOpts(const QString& executable = QString());
    const char* ClassName() const override { return "CMPlayerOpts"; }
    void ParseOptions(const QString& text) override;
};

// The preview player's options, in the order mplayer gets them: the file,
// slave mode, quiet, free aspect, the fixed 320x240 picture, the video
// window, the colour key, then the output driver (when not empty), volume
// normalisation (when nonzero) and the output volume (when nonzero; joined
// to the filter list with ",").
void SetPreviewOptions(CMPlayerOpts& opts, const QString& file, quint64 windowId, const QString& videoOut,
                       int volumeNorm, int outVolume);
