//=============================================================================
// HandVoice: written by hand, the way older packs were.
//=============================================================================
class HandVoice expands VoiceFemale;

#exec AUDIO IMPORT FILE="Sounds\hv_yes.wav" NAME="hv_yes" PACKAGE="HandVoice"
#exec AUDIO IMPORT FILE=..\Sounds\other.wav
/* #exec AUDIO IMPORT FILE="Sounds\old.wav" NAME="old" */

defaultproperties
{
     AckSound(3)=Sound'HandVoice.hv_yes'
     AckString(0)="Affirmative"
     AckString[1]="Say "hi""   // trailing comment
     numAcks=5
     OrderSound(7)=None
     OtherAbbrev(40)="unclosed
     bIsFemale=True
     TauntSound(99999999)=huge
     NameSound(3)=Female1Voice.F1gold
}
