//=============================================================================
// SeedPack.
//=============================================================================
class SeedPack extends VoiceMaleOne;

#exec OBJ LOAD FILE=..\Sounds\Male1Voice.uax

// The sounds of SeedPack:

#exec AUDIO IMPORT FILE="/home/jane/sounds/hello.wav" NAME="hello" PACKAGE="SeedPack" GROUP="SeedPack"
#exec AUDIO IMPORT FILE="/home/jane/sounds/bye.wav" NAME="bye" PACKAGE="SeedPack" GROUP="SeedPack"

defaultproperties
{
NameSound(0)=Sound'Male1Voice.(All).M1red'
NameSound(1)=
NameSound(2)=SeedPack.green
NameSound(3)=
AckSound(0)=Sound'Male1Voice.(All).M1gotit'
AckSound(1)=
AckSound(2)=Sound'SeedPack.SeedPack.hello'
AckString(0)="Got it"
AckString(1)=""
AckString(2)="C:\\Temp café"
AckAbbrev(2)="  "
numAcks=3
FFireSound(0)=Sound'UnrealShare.Nali.contact1'
FFireString(0)="Hey!"
numFFires=1
TauntSound(0)=Female2Voice.F2roger
TauntString(0)="Roger"
TauntAbbrev(0)="Turn the safety off."
numTaunts=1
OrderSound(0)=Sound'Male1Voice.(All).M1defend'
OrderSound(1)=
OrderSound(2)=
OrderSound(3)=
OrderSound(4)=
OrderSound(10)=
OrderSound(11)=
OrderString(0)="Defend the base"
OrderString(1)=""
OrderString(2)=""
OrderString(3)=""
OrderString(4)=""
OrderString(10)=""
OrderString(11)=""
OrderAbbrev(0)="Defend"
OtherSound(0)=
OtherSound(1)=SeedPack.bye
OtherString(0)=""
OtherString(1)="Bye"
}

// Script Info:
// Product: Seed
// Product URL: http://seed.example/
// Author: Jane
// Author URL: http://jane.example/
// Generated on: 12-06-2026
// Generated at: 23:30:00

ÿ[Public]
Object=(Name=SeedPack.SeedPack,Class=Class,MetaClass=BotPack.VoiceMale,Description="SeedPack by Jane")
