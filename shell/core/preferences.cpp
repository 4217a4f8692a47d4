#include "shell/core/preferences.h"

#include "editor/settings_editor.h"
#include "shell/core/settings.h"

namespace kavrel {

namespace {

PrefsPage g_startPage = PrefsPage::General;

} // namespace

PrefsValues ReadPreferences()
{
    PrefsValues v;
    v.iconeAuto = IconeAuto;
    v.reorganiseLancement = ReorganiseLancement;
    v.confirmeSave = ConfirmeSave;
    v.ecoRes = EcoRes;
    v.agrandissement = Agrandissement;
    v.showIcoToolBar = ShowIcoToolBar;
    v.showIclToolBar = ShowIclToolBar;
    v.showExeToolBar = ShowExeToolBar;
    v.motifTransparent = MotifTransparent;
    v.backgroundColour = CouleurFondEditeur;
    v.backgroundText = std::to_string(CouleurFondEditeur);
    v.optionsDeCollage = OptionsDeCollage;
    v.afficheOmbreIcone = AfficheOmbreIcone;
    v.defaultZoomAuto = DefaultZoomAuto;
    v.grilleAuto = GrilleAuto;
    v.showWarnTypes = ShowWarnTypes;
    v.showWarnExeType = ShowWarnExeType;
    v.showWarnColor = ShowWarnColor;
    v.showBienvenue = ShowBienvenue;
    v.showWarnColor16 = ShowWarnColor16;
    return v;
}

void ChooseBackgroundColour(PrefsValues& values, ColourChooser& chooser)
{
    std::uint32_t colour = values.backgroundColour;
    if (!chooser.ChooseColour(colour, CustColor))
        return;
    values.backgroundColour = colour & 0x00FFFFFFu;
    values.backgroundText = std::to_string(values.backgroundColour);
}

void ApplyPreferences(const PrefsValues& v, PrefsPage page, const PrefsEffects& effects)
{
    g_startPage = page;
    int oldMotif = MotifTransparent;
    IconeAuto = v.iconeAuto;
    ReorganiseLancement = v.reorganiseLancement;
    ConfirmeSave = v.confirmeSave;
    EcoRes = v.ecoRes;
    Agrandissement = v.agrandissement;
    ShowIcoToolBar = v.showIcoToolBar;
    ShowIclToolBar = v.showIclToolBar;
    ShowExeToolBar = v.showExeToolBar;
    // Only the four pattern pairs exist.
    MotifTransparent = v.motifTransparent >= 0 && v.motifTransparent <= 3 ? v.motifTransparent : 0;
    OptionsDeCollage = v.optionsDeCollage;
    AfficheOmbreIcone = v.afficheOmbreIcone;
    DefaultZoomAuto = v.defaultZoomAuto;
    GrilleAuto = v.grilleAuto;
    ShowWarnTypes = v.showWarnTypes;
    ShowWarnExeType = v.showWarnExeType;
    ShowWarnColor = v.showWarnColor;
    ShowBienvenue = v.showBienvenue;
    ShowWarnColor16 = v.showWarnColor16;
    if (MotifTransparent != oldMotif && effects.reloadPatterns)
        effects.reloadPatterns();
    CouleurFondEditeur = ParseColourString(v.backgroundText);
    if (effects.repaintAll)
        effects.repaintAll();
}

PrefsPage PreferencesStartPage()
{
    return g_startPage;
}

void ResetPreferencesStartPage()
{
    g_startPage = PrefsPage::General;
}

} // namespace kavrel
