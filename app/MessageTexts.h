#pragma once
// The program's shared message texts. The two that the case raises itself are the core's own.

#include "case/CaseModel.h"
#include "engine/CaseSession.h"
#include "platform/Deployment.h"

#include <QString>

namespace vardelo::app {

namespace msg {
inline const QString SelectDiagnosisFirst = QStringLiteral("Veuillez sélectionner d'abord un diagnostic");
inline const QString SelectPathologyFirst = QStringLiteral("Veuillez sélectionner d'abord une pathologie");
inline const QString SaveCaseQuestion = QStringLiteral("Voulez vous enregistrer cette fiche diagnostic ?");
inline const QString FormulationNotAllowed = model::FormulationWarning;
inline const QString EnterOneEntryFirst = QStringLiteral(
    "Pour pouvoir dialoguer avec le système\r\nvous devez d'abord valider au moins une entrée.");
inline const QString IncompleteFormulation = QStringLiteral(
    "Erreur de syntaxe dans la formulation de la symptomatologie\r\n\"Formulation incomplète\"");
inline const QString NoDiagnosisFound = QStringLiteral(
    "Aucun diagnostic n'a été trouvé avec cette formulation de symptomatologie dans cette version de "
    "Vardelo");
inline const QString UninterpretableEntry = QStringLiteral(
    "Cette entrée n'est pas interprétable par le système.\r\n\r\n-Attention aux fautes de frappe ou "
    "fautes d'orthographe.\r\n-Veuillez exprimer qu'un seul signe clinique ou symptôme à la "
    "fois.\r\n-Essayez d'être plus explicite.\r\n-Possible que votre signe clinique ou symptôme ne soit "
    "pas indexé dans le système.\r\n-N'exprimez pas un examen complémentaire en language naturel ou "
    "saisie libre : si vous voulez valider un, fait le à partir de la liste d'examens "
    "complémentaires.");
inline const QString SingleDiagnosis = QStringLiteral("Un seul diagnostic évoqué :");
inline const QString ContinueInterrogationQuestion =
    QStringLiteral("Voulez vous quand même continuer l'interrogatoire ?");
inline const QString ShowExamsForConfirmationQuestion =
    QStringLiteral("Voulez vous voir les Examens complémentaires pour confirmation ?");
inline const QString InterrogationDoneShowExamsQuestion = QStringLiteral(
    "Interrogatoire clinique terminé.\r\nMais voulez vous voir les Examens complémentaires en rapport "
    "avec les diagnostics trouvés pour continuer votre démarche ?");
inline const QString IfHypothesisRetained = QStringLiteral("Si cette hypothèse est retenue, y a-t-il :");
inline const QString DiagnosticHypothesis = QStringLiteral("Hypothèse diagnostic :");
inline const QString RejectHypothesisQuestion = QStringLiteral("Voulez vous la rejetée ?");
inline const QString InterrogationDone = QStringLiteral("Interrogatoire terminé.");
inline const QString AlreadyEntered = engine::AlreadyEnteredWarning;
inline const QString OpenParallelAnalysisQuestion = QStringLiteral(
    "Cette Entrée ne fait pas partie de la symptomatologie\r\ndes maladies proposées dans cette "
    "Analyse.\r\n\r\nMais elle existe dans d'autres pathologies ou maladies associées.\r\n\r\nVoulez "
    "vous ouvrir une Analyse Paralléle ?");
inline const QString SaveAnalysisQuestion =
    QStringLiteral("Voulez vous enregistrer l'analyse diagnostic en cours?");
inline const QString SignSexMismatchQuestion = QStringLiteral(
    "Ce signe clinique ou symptôme ne correspond pas au sexe du patient dans cette fiche.\r\nVoulez "
    "ouvrir une autre fiche diagnostic avec le sexe approprié?");
inline const QString SignAgeMismatchQuestion = QStringLiteral(
    "Ce signe clinique ou symptôme ne correspond pas à l'âge du patient dans cette fiche.\r\nVoulez "
    "ouvrir une autre fiche diagnostic avec l'âge approprié?");
inline const QString ChangeAgeBand = QStringLiteral(
    "Dans ce cas vous devez changer la tranche d'âge pour obtenir le(s) diagnostic(s) possible(s)");
inline const QString NoSearchToSave = QStringLiteral(
    "Vous n'avez pas encore effectuer une recherche diagnostic.\r\nVeuillez la faire pour pouvoir "
    "enregistrer.");
inline const QString CaseNotSavedForDeletion =
    QStringLiteral("Cette fiche n'est pas enregistrée pour être supprimée");
inline const QString DeleteCaseQuestion = QStringLiteral("Voulez-vous supprimer cette Fiche ?");
inline const QString DeleteAllCasesQuestion =
    QStringLiteral("Voulez-vous supprimer toutes les fiches enregistrées ?");
inline const QString NoSavedCasesToDelete = QStringLiteral("Pas de fiches enregistrées pour supprimer");
inline const QString KeepOneHypothesis = QStringLiteral(
    "Vous avez retirer toutes les hypothèses diagnostics !\r\nVous devez garder au moins une.");
} // namespace msg
inline const QString ProductName = QStringLiteral("Vardelo");
inline const QString PublicationDate = QStringLiteral("12 Septembre 2025");
inline const QString Tagline = QStringLiteral("Logiciel d'aide au diagnostic en médecine générale");
inline const QString IncompatibleVersion = QStringLiteral(
    "La version du fichier \"Data.vdat\" n'est pas compatible avec la version de l'application \"Vardelo\"");
inline const QString UpdaterMissing =
    QStringLiteral("Fichier \"Update.exe\" manquant, échec de la mise à jour.");
inline const QString NoConnectionStatus =
    QStringLiteral("[Vérification de version : Pas de connexion au site web]");
inline const QString UpToDateStatus = QStringLiteral("[Version à jour]");
inline const QString FarewellMessage =
    QStringLiteral(
        "Merci d'avoir utiliser le logiciel Vardelo,\r\nSi vous avez des remarques ou des propositions ou "
        "n'importe quelle question n'hésitez pas à nous contacter.\r\n\r\n") +
    QStringLiteral("Site Web : ") + platform::deployment::WebSite + QStringLiteral("\r\n") +
    QStringLiteral("E-Mail   : ") + platform::deployment::Email;
// %1: the manual's file.
inline const QString HelpUnavailable =
    QStringLiteral("Impossible d'ouvrir l'aide : aucun navigateur n'a pu afficher le manuel « %1 ».");
// %1: the folder.
inline const QString FolderUnavailable = QStringLiteral(
    "Impossible d'ouvrir le dossier « %1 » : aucun gestionnaire de fichiers n'a pu être lancé.");

} // namespace vardelo::app
