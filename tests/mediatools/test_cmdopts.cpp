#include "mediatools/CCmdOpts.h"
#include "mediatools/CFFMpegOpts.h"
#include "mediatools/CMEncoderOpts.h"
#include "mediatools/CMPlayerOpts.h"
#include "mediatools/CmdOptsFactory.h"
#include "mediatools/ToolFolders.h"

#include "support/TempDirTest.h"

#include <QFile>

namespace {
QStringList Names(const CCmdOpts& opts) {
    QStringList names;
    for (const CmdOption& option : opts.Options())
        names << option.name + "=" + option.value;
    return names;
}
} // namespace

TEST(CmdOptsTest, PreviewOptionsRenderAsTextAndAsArguments) {
    CMPlayerOpts opts("/T/mplayer");
    SetPreviewOptions(opts, "/v/my \"clip\".flv", 1234, "x11", 1, 5);
    EXPECT_EQ(opts.BuildCommandLine(), "\"/T/mplayer\" -slave  -quiet  -nokeepaspect  -vf-add "
                                       "scale=320:-2,expand=320:240 -wid 1234 -colorkey 0x10 -vo x11 "
                                       "-af volnorm,volume=5 \"/v/my \"clip\".flv\"");
    EXPECT_EQ(opts.BuildArguments(),
              (QStringList{"/T/mplayer", "-slave", "-quiet", "-nokeepaspect", "-vf-add",
                           "scale=320:-2,expand=320:240", "-wid", "1234", "-colorkey", "0x10", "-vo", "x11",
                           "-af", "volnorm,volume=5", "/v/my \"clip\".flv"}));
    // Rendering changes nothing and may be repeated.
    EXPECT_EQ(opts.BuildCommandLine(), opts.CommandLine());
    EXPECT_EQ(opts.Options().size(), 8u);
}

TEST(CmdOptsTest, PreviewOptionsFollowTheSettings) {
    CMPlayerOpts volumeOnly("/T/mplayer");
    SetPreviewOptions(volumeOnly, "/f", 0xF0000001ull, "", 0, -3);
    EXPECT_EQ(Names(volumeOnly).mid(4), (QStringList{"-wid=4026531841", "-colorkey=0x10", "-af=volume=-3"}));

    CMPlayerOpts plain("/T/mplayer");
    SetPreviewOptions(plain, "/f", 7, "", 0, 0);
    EXPECT_FALSE(plain.BuildArguments().contains("-af"));
    EXPECT_FALSE(plain.BuildArguments().contains("-vo"));
}

TEST(CmdOptsTest, OptionEditsKeepOrderAndCompareNamesExactly) {
    CCmdOpts opts;
    opts.SetOption("-a", "%d", 1);
    opts.AddFlag("-b");
    opts.SetOption("-c", "%s", "x");
    opts.SetOption("-a", "%d", 2);                   // replaced in place
    opts.AddFlag("-c");                              // a flag empties an existing value
    opts.AppendOption("-d", 0, ",", "volume=%d", 5); // no create: nothing
    opts.AppendOption("-b", 0, ",", "v");
    opts.SetOption("-A", "upper");
    EXPECT_EQ(Names(opts), (QStringList{"-a=2", "-b=,v", "-c=", "-A=upper"}));

    opts.AppendOption("-af", 1, ",", "volume=%d", 5);
    opts.SetOption("-x", "1");
    opts.SetOption("-x", "1");
    opts.RemoveOption("-a");
    EXPECT_EQ(Names(opts), (QStringList{"-b=,v", "-c=", "-A=upper", "-af=volume=5", "-x=1"}));
    opts.ClearOptions();
    EXPECT_TRUE(opts.Options().empty());
}

TEST(CmdOptsTest, InputFileQuotingAndEmptyRenderings) {
    CFFMpegOpts opts("/usr/bin/ffmpeg");
    EXPECT_EQ(opts.BuildCommandLine(), "\"/usr/bin/ffmpeg\"");
    EXPECT_EQ(opts.BuildArguments(), QStringList{"/usr/bin/ffmpeg"});

    opts.SetInputFile("\"/already quoted.mp4\"");
    EXPECT_EQ(opts.InputFile(), "\"/already quoted.mp4\"");
    EXPECT_EQ(opts.BuildArguments().last(), "/already quoted.mp4");
    opts.SetInputFile("/plain.mp4");
    EXPECT_EQ(opts.BuildCommandLine(), "\"/usr/bin/ffmpeg\" \"/plain.mp4\"");
    opts.SetInputFile("\"");
    EXPECT_EQ(opts.InputFile(), "\"\"\"");
}

TEST(CmdOptsTest, OptionTextsAreReadIntoFlagsAndPairs) {
    CMPlayerOpts opts("/T/mplayer");
    opts.ParseOptions("  -vo x11   -quiet -af volnorm extra -ss 10 -nosound ");
    EXPECT_EQ(Names(opts), (QStringList{"-vo=x11", "-quiet=", "-ss=10", "-nosound="}));

    CMEncoderOpts encoder("/T/mencoder");
    encoder.ParseOptions("-oac copy -ovc lavc");
    encoder.SetErrorFile("/tmp/err.txt");
    encoder.SetInputFile("/in.flv");
    EXPECT_EQ(encoder.BuildCommandLine(),
              "\"/T/mencoder\" -oac copy -ovc lavc \"/in.flv\" 2>\"/tmp/err.txt\"");
    EXPECT_EQ(encoder.BuildArguments(),
              (QStringList{"/T/mencoder", "-oac", "copy", "-ovc", "lavc", "/in.flv"}));

    CCmdOpts base;
    base.ParseOptions("-vo x11");
    CFFMpegOpts ffmpeg("/f");
    ffmpeg.ParseOptions("-vo x11");
    EXPECT_TRUE(base.Options().empty());
    EXPECT_TRUE(ffmpeg.Options().empty());
}

TEST(CmdOptsTest, BuildersAreCreatedByClassName) {
    for (const char* name : {"CCmdOpts", "CMPlayerOpts", "CMEncoderOpts", "CFFMpegOpts", "CMP4CreatorOpts",
                             "CMP4BoxOpts", "CSysCmdOpts", "CTsMuxeROpts", "CQTFastStartOpts"}) {
        const std::unique_ptr<CCmdOpts> opts = CreateCmdOpts(name);
        ASSERT_TRUE(opts) << name;
        EXPECT_STREQ(opts->ClassName(), name);
    }
    EXPECT_FALSE(CreateCmdOpts("CUnknownOpts"));
}

class ToolFoldersTest : public TempDirTest {};

TEST_F(ToolFoldersTest, BundledToolsWinOnlyWhenExecutable) {
    const QString folder = Path();
    EXPECT_EQ(FindTool(folder, "ffmpeg"), "ffmpeg");
    WriteFile("ffmpeg", "#!/bin/sh\n");
    EXPECT_EQ(FindTool(folder, "ffmpeg"), "ffmpeg");
    QFile::setPermissions(Path("ffmpeg"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(FindTool(folder, "ffmpeg"), Path("ffmpeg"));

    EXPECT_TRUE(GetMPlayerToolFolder().endsWith("/gnu/avc"));
    SetMPlayerPathOverride("/opt/x/mplayer");
    EXPECT_EQ(CMPlayerOpts().Program(), "/opt/x/mplayer");
    SetMPlayerPathOverride(QString());
    EXPECT_EQ(FindMPlayer(), FindTool(GetMPlayerToolFolder(), "mplayer"));
}
